#pragma once

// The one command-line parser of dmtool and its render module. A command lists its options in a
// table; adding an option is adding a row there and a case where the command reads it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dmtool {

struct OptionRule {
    std::string_view name;      // long form, "--view"
    std::string_view shortName; // "-o", or empty
    bool takesValue;
};

struct GivenOption {
    std::string_view name; // the long form, whichever form was typed
    std::string value;     // empty for an option without a value
};

struct CommandLine {
    std::vector<GivenOption> options; // in the order given
    std::vector<std::string> operands;
};

// "--" ends the options and "-" is an operand. A value follows its option as the next argument
// or, for the long form, after "=" ("--view=top"). Raises UsageError for an unknown option, a
// missing value, or a value given to an option that takes none.
CommandLine parseCommandLine(const std::vector<std::string>& args,
                             std::span<const OptionRule> rules);

} // namespace dmtool
