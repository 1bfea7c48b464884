#pragma once

#include <string>
#include <utility>

namespace dmtool {

enum ExitStatus { kSuccess = 0, kDataError = 1, kUsageError = 2 };

// A command line that does not fit its command; the message names what is wrong.
class UsageError {
public:
    explicit UsageError(std::string message) : message_(std::move(message)) {}
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

} // namespace dmtool
