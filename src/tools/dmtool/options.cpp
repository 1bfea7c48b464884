#include "options.h"

#include "usage.h"

#include <algorithm>
#include <optional>

namespace dmtool {

CommandLine parseCommandLine(const std::vector<std::string>& args,
                             std::span<const OptionRule> rules) {
    CommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            line.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string typed = arg;
        std::optional<std::string> inlineValue;
        if (const auto equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
            typed = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& option) {
            return typed == option.name || (!option.shortName.empty() && typed == option.shortName);
        });
        if (rule == rules.end())
            throw UsageError("unknown option '" + arg + "'");
        if (!rule->takesValue && inlineValue)
            throw UsageError("option " + typed + " takes no value");
        if (rule->takesValue && !inlineValue && i + 1 == args.size())
            throw UsageError("option " + typed + " needs a value");
        std::string value;
        if (rule->takesValue)
            value = inlineValue ? *inlineValue : args[++i];
        line.options.push_back({rule->name, std::move(value)});
    }
    return line;
}

} // namespace dmtool
