#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dmtool {

enum ExitStatus { kSuccess = 0, kDataError = 1, kUsageError = 2 };

// Runs one command line; `args` excludes the program name. Standard input, output and error
// are passed in so that the commands can run inside a test.
int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

} // namespace dmtool
