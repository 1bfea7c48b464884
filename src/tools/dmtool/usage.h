#pragma once

#include "core/message_text.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace dmtool {

enum ExitStatus { kSuccess = 0, kDataError = 1, kUsageError = 2 };

// A command line that does not fit its command; the message names what is wrong, with whatever it
// repeats of the command line escaped.
class UsageError {
public:
    explicit UsageError(const std::string& message) : message_(dm::escapedText(message)) {}
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

// True when "--help" or "-h" comes before any "--".
inline bool asksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

// Flushes `out`; when it could not be written, says so on `err` and returns false.
inline bool flushOutput(std::ostream& out, std::ostream& err) {
    out.flush();
    if (out)
        return true;
    err << "dmtool: cannot write the output\n";
    return false;
}

} // namespace dmtool
