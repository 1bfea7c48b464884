#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace dmtool {

// Runs one command line; `args` excludes the program name. Standard input, output and error
// are passed in so that the commands can run inside a test.
int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

} // namespace dmtool
