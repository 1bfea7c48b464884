#include "dmtool.h"

#include "commands.h"
#include "core/errors.h"
#include "core/install_layout.h"
#include "core/platform_folders.h"
#include "core/text_file.h"
#include "core/version.h"
#include "render_module.h"
#include "usage.h"

#include <algorithm>
#include <exception>
#include <istream>
#include <iterator>
#include <ostream>
#include <string_view>

namespace dmtool {

namespace {

constexpr std::string_view kToolHelp =
    "Usage: dmtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and writes aircraft damage files (??damage.dat): a 100-byte header and 30 part\n"
    "records of 67 bytes, exactly as the editor does.\n"
    "\n"
    "Commands:\n"
    "  cells FILE [--decimal-separator C]        print the editor's 30 x 22 cell texts\n"
    "  apply FILE CELLS [--decimal-separator C]  parse cell texts and write the 30 records\n"
    "  dump FILE                                 print the whole file as JSON\n"
    "  render ARGUMENTS                          draw hit boxes (libdmtool_render.so)\n"
    "\n"
    "'dmtool COMMAND --help' describes a command; 'dmtool --version' prints the version.\n"
    "Exit status: 0 success, 1 file or data error, 2 usage error.\n";

constexpr std::string_view kCellsHelp =
    "Usage: dmtool cells FILE [--decimal-separator C]\n"
    "\n"
    "Prints 30 lines, one per part slot, each holding the 22 value cell texts in grid column\n"
    "order (Off/On, Byte2, Byte3, Damage, Float1, Byte4, Float2, Byte5, Float3, PX1, PY1, PZ1,\n"
    "PX2, PY2, PZ2, PX3, PY3, PZ3, Byte6, Float4, Byte7, Float5) separated by tabs, exactly as\n"
    "the editor fills its grid. The file is only read.\n"
    "\n"
    "  --decimal-separator C  decimal separator of float texts (default \".\")\n";

constexpr std::string_view kApplyHelp =
    "Usage: dmtool apply FILE CELLS [--decimal-separator C]\n"
    "\n"
    "Reads 30 lines of 22 tab-separated cell texts from CELLS ('-' for standard input), in the\n"
    "form 'dmtool cells' prints, parses them as the editor's save does and writes the 30\n"
    "records into FILE in place. Texts left as 'cells' printed them keep their exact values;\n"
    "bytes 0 to 99 and from 2110 on stay untouched. A bad cell is reported with its row and\n"
    "column and nothing is written.\n"
    "\n"
    "  --decimal-separator C  decimal separator of float texts (default \".\")\n";

constexpr std::string_view kDumpHelp =
    "Usage: dmtool dump FILE\n"
    "\n"
    "Prints the whole file as JSON: the header as hex, every record's slot, part name and 22\n"
    "fields by name (floats as the shortest text that reads back to the same value; \"inf\",\n"
    "\"-inf\" and \"nan\" as strings) and the number of bytes after offset 2110. The file is\n"
    "only read.\n";

struct CommandInfo {
    std::string_view name;
    std::string_view help;
    int fileArguments;
    bool takesSeparator;
};

constexpr CommandInfo kCommands[] = {
    {"cells", kCellsHelp, 1, true},
    {"apply", kApplyHelp, 2, true},
    {"dump", kDumpHelp, 1, false},
};

struct Invocation {
    std::vector<std::string> files;
    std::string decimalSeparator = ".";
};

// A separator that could be read as part of a number or as a cell boundary is refused.
bool isUsableSeparator(std::string_view separator) {
    return !separator.empty() && std::none_of(separator.begin(), separator.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
               c == 'e' || c == 'E';
    });
}

Invocation parseArguments(const CommandInfo& command, const std::vector<std::string>& args) {
    Invocation invocation;
    const std::string option = "--decimal-separator";
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            invocation.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (command.takesSeparator && (arg == option || arg.starts_with(option + "="))) {
            if (arg == option && i + 1 == args.size())
                throw UsageError("option " + option + " needs a value");
            invocation.decimalSeparator = arg == option ? args[++i] : arg.substr(option.size() + 1);
            if (!isUsableSeparator(invocation.decimalSeparator))
                throw UsageError("'" + invocation.decimalSeparator +
                                 "' cannot be a decimal separator");
        } else {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    if (invocation.files.size() != static_cast<std::size_t>(command.fileArguments))
        throw UsageError(std::string(command.name) + " takes " +
                         (command.fileArguments == 1 ? "one file" : "a file and a cell file") +
                         ", " + std::to_string(invocation.files.size()) + " given");
    return invocation;
}

std::string readCellInput(const std::string& name, std::istream& in) {
    if (name != "-")
        return dm::readWholeFile(name);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw dm::DamageError("Cannot read standard input");
    return text;
}

void runCommand(const CommandInfo& command, const Invocation& invocation, std::istream& in,
                std::ostream& out) {
    const std::string& file = invocation.files[0];
    if (command.name == "cells") {
        out << cellsCommand(file, invocation.decimalSeparator);
    } else if (command.name == "apply") {
        const std::string cellLines = readCellInput(invocation.files[1], in);
        applyCommand(file, cellLines, invocation.decimalSeparator);
    } else {
        out << dumpCommand(file);
    }
    out.flush();
}

int usageFailure(const std::string& message, std::ostream& err) {
    err << "dmtool: " << message << "\nTry 'dmtool --help'.\n";
    return kUsageError;
}

} // namespace

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    if (args.empty())
        return usageFailure("no command given", err);
    const std::string& name = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (name == "--help" || name == "-h") {
        out << kToolHelp;
        return kSuccess;
    }
    if (name == "--version") {
        out << "dmtool " << dm::kVersion << '\n';
        return kSuccess;
    }
    if (name == "render")
        return runRenderModule(dm::moduleFolder(dm::executableFolder(), kRenderModuleName).string(),
                               rest, err);
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const CommandInfo& info) { return info.name == name; });
    if (command == std::end(kCommands))
        return usageFailure("unknown command '" + name + "'", err);
    if (asksForHelp(rest)) {
        out << command->help;
        return kSuccess;
    }
    try {
        runCommand(*command, parseArguments(*command, rest), in, out);
    } catch (const UsageError& error) {
        return usageFailure(error.message(), err);
    } catch (const dm::DamageError& error) {
        err << error.what() << '\n';
        return kDataError;
    } catch (const std::exception& error) {
        err << "dmtool: " << error.what() << '\n';
        return kDataError;
    }
    if (!out) {
        err << "dmtool: cannot write the output\n";
        return kDataError;
    }
    return kSuccess;
}

} // namespace dmtool
