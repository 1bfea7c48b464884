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

// "--help" or "-h"; on Windows also its own "/?".
inline bool isHelpOption(const std::string& arg) {
#ifdef _WIN32
    if (arg == "/?")
        return true;
#endif
    return arg == "--help" || arg == "-h";
}

// True when a help option comes before any "--".
inline bool asksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (isHelpOption(arg))
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
