#include "dmtool.h"

#include "commands.h"
#include "core/errors.h"
#include "core/install_layout.h"
#include "core/message_text.h"
#include "core/platform_folders.h"
#include "core/text_file.h"
#include "core/version.h"
#include "diff.h"
#include "dump_document.h"
#include "options.h"
#include "render_module.h"
#include "usage.h"

#include "core/errors.h"
#include "core/text_file.h"

#include <algorithm>
#include <exception>
#include <istream>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <utility>

namespace dmtool {

namespace {

constexpr std::string_view kToolHelp =
    "Usage: dmtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and writes aircraft damage files (??damage.dat): a 100-byte header and 30 part\n"
    "records of 67 bytes, exactly as the editor does.\n"
    "\n"
    "Commands:\n"
    "  cells FILE... [--decimal-separator C]     print the editor's 30 x 22 cell texts\n"
    "  apply FILE CELLS [--decimal-separator C]  parse cell texts and write the 30 records\n"
    "  dump FILE...                              print the whole file as JSON\n"
    "  load FILE JSON [--header]                 write the values of a JSON dump into FILE\n"
    "  diff A B... [--json] [--decimal-separator C]\n"
    "                                            compare damage files field by field\n"
#ifdef _WIN32
    "\n"
    "'dmtool COMMAND /?' describes a command; 'dmtool --version' prints the version.\n"
#else
    "  render ARGUMENTS                          draw hit boxes (libdmtool_render.so)\n"
    "\n"
    "'dmtool COMMAND --help' describes a command; 'dmtool --version' prints the version.\n"
#endif
    "Exit status: 0 success, 1 file or data error, 2 usage error; diff: 0 the same,\n"
    "1 different, 2 trouble.\n";

constexpr std::string_view kCellsHelp =
    "Usage: dmtool cells FILE... [--decimal-separator C]\n"
    "\n"
    "Prints 30 lines, one per part slot, each holding the 22 value cell texts in grid column\n"
    "order (Off/On, Byte2, Byte3, Damage, Float1, Byte4, Float2, Byte5, Float3, PX1, PY1, PZ1,\n"
    "PX2, PY2, PZ2, PX3, PY3, PZ3, Byte6, Float4, Byte7, Float5) separated by tabs, exactly as\n"
    "the editor fills its grid. The file is only read.\n"
    "\n"
    "With several files, every line starts with the file's name and a tab. A file that cannot\n"
    "be read is reported after its name on standard error, the others are still printed, and\n"
    "the exit status is 1.\n"
    "\n"
    "  --decimal-separator C  decimal separator of float texts (default \".\")\n";

constexpr std::string_view kApplyHelp =
    "Usage: dmtool apply FILE CELLS [--decimal-separator C]\n"
    "\n"
    "Reads 30 lines of 22 tab-separated cell texts from CELLS ('-' for standard input), in the\n"
    "form 'dmtool cells' prints, parses them as the editor's save does and writes the 30\n"
    "records into FILE, whole or not at all, as the editor's Save does. Texts left as 'cells'\n"
    "printed them keep their exact values; bytes 0 to 99 and from 2110 on keep theirs. A bad\n"
    "cell is reported with its row and column and nothing is written; a file whose bytes would\n"
    "not change is not written.\n"
    "\n"
    "  --decimal-separator C  decimal separator of float texts (default \".\")\n";

constexpr std::string_view kDumpHelp =
    "Usage: dmtool dump FILE...\n"
    "\n"
    "Prints the whole file as JSON: the header as hex, every record's slot, part name and 22\n"
    "fields by name (floats as the shortest text that reads back to the same value; \"inf\",\n"
    "\"-inf\" and \"nan\" as strings) and the number of bytes after offset 2110. The file is\n"
    "only read; 'dmtool load' writes such a document back.\n"
    "\n"
    "With several files, prints a JSON array of their documents in the order given. A file\n"
    "that cannot be read stands there as null and is reported after its name on standard\n"
    "error; the exit status is then 1.\n";

constexpr std::string_view kLoadHelp =
    "Usage: dmtool load FILE JSON [--header]\n"
    "\n"
    "Reads a JSON document of the form 'dmtool dump' prints from JSON ('-' for standard input)\n"
    "and writes its values into FILE, whole or not at all, as the editor's Save does. A record\n"
    "names its slot by \"slot\" (0 to 29), by \"part\" (the part's name) or by both. Records\n"
    "and fields that the document leaves out keep their bytes exactly; \"trailing_bytes\" is\n"
    "not used, and bytes from 2110 on stay untouched. Byte fields take whole numbers from -128\n"
    "to 255 (-1 stores 255, as in the editor); float fields take numbers and \"inf\", \"-inf\"\n"
    "and \"nan\". Every value is checked before anything is written: a bad value or an unknown\n"
    "slot, part or field is reported with its record and field, and FILE is left untouched.\n"
    "\n"
    "'dmtool dump F | dmtool load G -' makes the records of G equal to those of F, byte for\n"
    "byte, except for NaN payloads, which JSON does not keep: \"nan\" stores the quiet NaN\n"
    "0x7fc00000, unless the field already holds a NaN, which then stays as it is.\n"
    "\n"
    "  --header  write the document's \"header\" (200 hex digits) into bytes 0 to 99 too;\n"
    "            without it the header stays as it is\n";

constexpr std::string_view kDiffHelp =
    "Usage: dmtool diff A B... [--json] [--decimal-separator C]\n"
    "\n"
    "Compares the damage files A and B: prints one line per field that differs, with the part,\n"
    "its slot, the field and both values as the editor's cells show them\n"
    "('Engine #1 (22) Damage: 130 -> 150'). Where both cells show the same text, the line\n"
    "adds both exact values (a NaN with its bits), so that rounding hides no difference.\n"
    "Differing header bytes and bytes after the records are given by offset and length, and so\n"
    "is a difference in their number ('B has 35 more bytes after the records'). Files that are\n"
    "the same print nothing.\n"
    "\n"
    "With several files B, A is compared with each in turn; the lines of a pair that differs\n"
    "follow a line 'diff A B'.\n"
    "\n"
    "  --json                 print the differences as one JSON document (an array of them\n"
    "                         with several B, null for a file that cannot be read)\n"
    "  --decimal-separator C  decimal separator of the cell texts (default \".\")\n"
    "\n"
    "Exit status: 0 the files are the same, 1 they differ, 2 trouble: a file that cannot be\n"
    "read (reported after its name with the editor's message) or a usage error.\n";

constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;
// Each run and each field of a diff's JSON stands on one line.
constexpr int kDiffExpandedDepth = 2;

constexpr OptionRule kSeparatorOption{"--decimal-separator", "", true};
constexpr OptionRule kJsonOption{"--json", "", false};
constexpr OptionRule kHeaderOption{"--header", "", false};
constexpr OptionRule kCellsOptions[] = {kSeparatorOption};
constexpr OptionRule kDiffOptions[] = {kSeparatorOption, kJsonOption};
constexpr OptionRule kLoadOptions[] = {kHeaderOption};

struct Invocation {
    std::vector<std::string> files;
    std::string decimalSeparator = ".";
    bool json = false;
    bool header = false;
};

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// A separator that could be read as part of a number or as a cell boundary is refused.
bool isUsableSeparator(std::string_view separator) {
    return !separator.empty() && std::none_of(separator.begin(), separator.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
               c == 'e' || c == 'E';
    });
}

std::string readInput(const std::string& name, std::istream& in) {
    if (name != "-")
        return dm::readWholeFile(name);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw dm::DamageError("Cannot read standard input");
    return text;
}

// Runs `work` on one of several files: a failure is reported, after the file's name when
// `named`, and the caller goes on with the next file.
template <typename Work>
bool attempt(const std::string& file, bool named, std::ostream& err, Work work) {
    try {
        work();
        return true;
    } catch (const dm::DamageError& error) {
        err << (named ? dm::escapedText(file) + ": " : "") << error.what() << '\n';
        return false;
    }
}

std::string prefixLines(const std::string& lines, const std::string& prefix) {
    std::string out;
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size() - 1) + 1;
        out += prefix;
        out.append(lines, start, end - start);
        start = end;
    }
    return out;
}

int runCells(const Invocation& invocation, const Streams& io) {
    const bool named = invocation.files.size() > 1;
    int status = kSuccess;
    for (const std::string& file : invocation.files) {
        const bool done = attempt(file, named, io.err, [&] {
            const std::string lines = cellsCommand(file, invocation.decimalSeparator);
            io.out << (named ? prefixLines(lines, file + "\t") : lines);
        });
        if (!done)
            status = kDataError;
    }
    return status;
}

int runApply(const Invocation& invocation, const Streams& io) {
    const std::string cellLines = readInput(invocation.files[1], io.in);
    applyCommand(invocation.files[0], cellLines, invocation.decimalSeparator);
    return kSuccess;
}

int runDump(const Invocation& invocation, const Streams& io) {
    Json documents = Json::array();
    int status = kSuccess;
    for (const std::string& file : invocation.files) {
        documents.push_back(nullptr); // stays null when the file cannot be read
        if (!attempt(file, invocation.files.size() > 1, io.err,
                     [&] { documents.back() = dumpCommand(file); }))
            status = kDataError;
    }
    if (invocation.files.size() > 1)
        io.out << formatJson(documents, kDumpExpandedDepth + 1);
    else if (status == kSuccess)
        io.out << formatJson(documents[0], kDumpExpandedDepth);
    return status;
}

int runLoad(const Invocation& invocation, const Streams& io) {
    const std::string text = readInput(invocation.files[1], io.in);
    loadCommand(invocation.files[0], text, invocation.header);
    return kSuccess;
}

// Each comparison is written out as it is made, so that large files need little memory.
int runDiff(const Invocation& invocation, const Streams& io) {
    const std::string& nameA = invocation.files[0];
    FileImage a;
    if (!attempt(nameA, true, io.err, [&] { a = readFileImage(nameA); }))
        return kTrouble;
    const bool several = invocation.files.size() > 2;
    const bool jsonArray = invocation.json && several;
    const char* separator = "[";
    int status = kSame;
    for (auto nameB = invocation.files.begin() + 1; nameB != invocation.files.end(); ++nameB) {
        std::optional<FileImage> b;
        const bool read = attempt(*nameB, true, io.err, [&] { b = readFileImage(*nameB); });
        if (jsonArray)
            io.out << std::exchange(separator, ",") << "\n  " << (read ? "" : "null");
        if (!read) {
            status = kTrouble;
            continue;
        }
        const Comparison comparison =
            compareFiles(nameA, a, *nameB, *b, invocation.decimalSeparator);
        const bool same = comparison.differences.same();
        status = std::max(status, same ? kSame : kDifferent);
        if (invocation.json) {
            writeDifferenceDocument(io.out, comparison, several ? 1 : 0,
                                    kDiffExpandedDepth + (several ? 1 : 0));
            if (!several)
                io.out << '\n';
        } else if (!same) {
            if (several)
                io.out << "diff " << nameA << " " << *nameB << "\n";
            writeDifferenceLines(io.out, comparison);
        }
    }
    if (jsonArray)
        io.out << "\n]\n";
    return status;
}

struct CommandInfo {
    std::string_view name;
    std::string_view help;
    std::span<const OptionRule> options;
    std::size_t fewestFiles;
    std::size_t mostFiles;
    std::string_view filesWanted;
    int (*run)(const Invocation&, const Streams&);
    int troubleStatus; // when a file cannot be read or the output cannot be written
};

constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

const CommandInfo kCommands[] = {
    {"cells", kCellsHelp, kCellsOptions, 1, kAnyNumber, "one or more files", runCells, kDataError},
    {"apply", kApplyHelp, kCellsOptions, 2, 2, "a file and a cell file", runApply, kDataError},
    {"dump", kDumpHelp, {}, 1, kAnyNumber, "one or more files", runDump, kDataError},
    {"load", kLoadHelp, kLoadOptions, 2, 2, "a file and a JSON document", runLoad, kDataError},
    {"diff", kDiffHelp, kDiffOptions, 2, kAnyNumber, "two or more files", runDiff, kTrouble},
};

Invocation parseInvocation(const CommandInfo& command, const std::vector<std::string>& args) {
    const CommandLine line = parseCommandLine(args, command.options);
    Invocation invocation;
    invocation.files = line.operands;
    for (const GivenOption& option : line.options) {
        if (option.name == kSeparatorOption.name) {
            if (!isUsableSeparator(option.value))
                throw UsageError("'" + option.value + "' cannot be a decimal separator");
            invocation.decimalSeparator = option.value;
        } else if (option.name == kJsonOption.name) {
            invocation.json = true;
        } else if (option.name == kHeaderOption.name) {
            invocation.header = true;
        }
    }
    const std::size_t given = invocation.files.size();
    if (given < command.fewestFiles || given > command.mostFiles)
        throw UsageError(std::string(command.name) + " takes " + std::string(command.filesWanted) +
                         ", " + std::to_string(given) + " given");
    return invocation;
}

int usageFailure(const std::string& message, std::ostream& err) {
    err << "dmtool: " << message << "\nTry 'dmtool --help'.\n";
    return kUsageError;
}

int writeHelp(std::string_view help, std::ostream& out, std::ostream& err) {
    out << help;
    return flushOutput(out, err) ? kSuccess : kDataError;
}

} // namespace

int run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
    if (args.empty())
        return usageFailure("no command given", err);
    const std::string& name = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (isHelpOption(name))
        return writeHelp(kToolHelp, out, err);
    if (name == "--version")
        return writeHelp(std::string("dmtool ") + dm::kVersion + "\n", out, err);
#ifndef _WIN32 // the Windows download has no render module
    if (name == "render")
        return runRenderModule(dm::moduleFolder(dm::executableFolder(), kRenderModuleName).string(),
                               rest, err);
#endif
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const CommandInfo& info) { return info.name == name; });
    if (command == std::end(kCommands))
        return usageFailure("unknown command '" + name + "'", err);
    if (asksForHelp(rest))
        return writeHelp(command->help, out, err);
    int status = kSuccess;
    try {
        status = command->run(parseInvocation(*command, rest), Streams{in, out, err});
    } catch (const UsageError& error) {
        return usageFailure(error.message(), err);
    } catch (const dm::DamageError& error) {
        err << error.what() << '\n';
        return command->troubleStatus;
    } catch (const std::exception& error) {
        err << "dmtool: " << error.what() << '\n';
        return command->troubleStatus;
    }
    return flushOutput(out, err) ? status : command->troubleStatus;
}

} // namespace dmtool
