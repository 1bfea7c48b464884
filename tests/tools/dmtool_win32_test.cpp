#include "dmtool_fixture.h"

#include <windows.h>

#include <cstdlib>

namespace {

std::wstring nativeText(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end())).make_preferred().wstring();
}

// The real executable, as the command interpreter runs it, with any file names.
class DmtoolProcessTest : public DmtoolTest {
protected:
    ToolResult runProcess(const std::vector<std::string>& args, const std::string& input = "NUL") {
        std::wstring command =
            L"\"\"" + nativeText(std::string(DM_BIN_DIR) + "/dmtool.exe") + L"\"";
        // "/?" as users type it: the command interpreter keeps quotes around it.
        for (const std::string& arg : args)
            command += arg == "/?" ? L" /?" : L" \"" + nativeText(arg) + L"\"";
        command += L" < \"" + nativeText(input) + L"\" > \"" + nativeText(path("out")) +
                   L"\" 2> \"" + nativeText(path("err")) + L"\"\"";
        const int status = ::_wsystem(command.c_str());
        return {status, readText(path("out")), readText(path("err"))};
    }

    std::string pathOf(const std::string& name) const {
        const std::u8string utf8 =
            (folder_ / fs::path(std::u8string(name.begin(), name.end()))).u8string();
        return std::string(utf8.begin(), utf8.end());
    }
};

TEST_F(DmtoolProcessTest, StandardStreamsPassBytesUnchanged) {
    const std::string file = writeCraftedFile();
    const ToolResult cells = runProcess({"cells", file});
    ASSERT_EQ(cells.status, 0) << cells.err;
    EXPECT_EQ(cells.out, runTool({"cells", file}).out) << "no carriage return may be added";
    EXPECT_EQ(runProcess({"dump", file}).out, runTool({"dump", file}).out);

    // An edited line in CR LF text, as Windows editors save it, on standard input.
    std::string edited = "0"; // Off/On of the first row
    for (const std::string& line : splitLines(cells.out))
        edited += line + "\r\n";
    edited.erase(1, 1);
    writeBytes(path("edited.txt"), Bytes(edited.begin(), edited.end()));
    const ToolResult apply = runProcess({"apply", file, "-"}, path("edited.txt"));
    ASSERT_EQ(apply.status, 0) << apply.err;
    Bytes expected = image_;
    expected[dm::recordOffset(0)] = 0;
    EXPECT_EQ(readBytes(file), expected);
}

TEST_F(DmtoolProcessTest, ExitStatusMessagesAndFileNamesAsOnLinux) {
    const std::string file = writeCraftedFile();
    const std::string unusual = pathOf("\u00e9t\u00e9 \u6a5f 40damage.dat");
    fs::copy_file(file, fs::path(std::u8string(unusual.begin(), unusual.end())));
    const std::string readOnly = pathOf("read only.dat");
    fs::copy_file(file, readOnly);
    ASSERT_TRUE(::SetFileAttributesW(nativeText(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string cells = runTool({"cells", file}).out;
    // A first value changed, so that apply has something to write into the read-only file.
    std::string changed = cells;
    const std::size_t firstTab = changed.find('\t');
    changed.replace(0, firstTab, changed.substr(0, firstTab) == "7" ? "8" : "7");
    writeBytes(path("cells.txt"), Bytes(changed.begin(), changed.end()));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Case cases[] = {
        {{"cells", unusual}, 0, ""},
        {{"dump", unusual}, 0, ""},
        {{"diff", unusual, file}, 0, ""},
        {{"cells", readOnly}, 0, ""},
        {{"apply", readOnly, path("cells.txt")}, 1, "File access denied\n"},
        {{"cells", pathOf("missing.dat")}, 1, "File not found\n"},
        {{"dump", pathOf("no folder/x.dat")}, 1, "Invalid filename\n"},
        {{"cells", "NUL"}, 1, "Read beyond end of file\n"},
        {{"render", "--help"}, 2, "dmtool: unknown command 'render'\nTry 'dmtool --help'.\n"},
        {{"cells"}, 2, "dmtool: cells takes one or more files, 0 given\nTry 'dmtool --help'.\n"},
    };
    for (const Case& c : cases) {
        const ToolResult result = runProcess(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(result.err, c.err) << c.args[0] << " " << c.args.back();
    }
    EXPECT_EQ(runProcess({"cells", unusual}).out, cells);
    EXPECT_EQ(readBytes(readOnly), image_);
}

TEST_F(DmtoolProcessTest, SlashQuestionMarkAsksForHelpAndRenderIsNotOffered) {
    const std::string help = runTool({"--help"}).out;
    EXPECT_EQ(help.find("render"), std::string::npos) << help;
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {"the tool's help", {"/?"}, help},
        {"a command's help", {"diff", "/?"}, runTool({"diff", "--help"}).out},
        {"after --, a file name", {"cells", "--", "/?"}, ""},
    };
    for (const Case& c : cases) {
        const ToolResult result = runProcess(c.args);
        EXPECT_EQ(result.out, c.out) << c.name;
        EXPECT_EQ(result.status, c.out.empty() ? 1 : 0) << c.name << ": " << result.err;
    }
}

} // namespace
