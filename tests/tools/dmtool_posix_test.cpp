#include "dmtool_fixture.h"
#include "json_document.h"
#include "render_module.h"

#include "core/cell_text.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST_F(DmtoolTest, ANamedPipeIsRefusedAtOnce) {
    const std::string pipe = path("pipe.dat");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    writeBytes(path("cells.txt"), Bytes(1, 'x'));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"cells", pipe}, {"dump", pipe}, {"apply", pipe, path("cells.txt")}}) {
        const ToolResult result = runTool(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err, "Read beyond end of file\n") << args[0];
    }
}

TEST_F(DmtoolTest, ReadingCommandsChangeNeitherTheFileNorItsAttributes) {
    const std::string file = writeCraftedFile();
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    for (const char* command : {"cells", "dump"})
        EXPECT_EQ(runTool({command, file}).status, 0) << command;
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(readBytes(file), image_);
}

// The real executable, as a shell runs it.
class DmtoolProcessTest : public DmtoolTest {
protected:
    // `redirections` follow the usual ones, so they take their place.
    ToolResult runProcess(const std::string& arguments, const std::string& input = "/dev/null",
                          const std::string& redirections = "") {
        const std::string command = std::string(DM_BIN_DIR) + "/dmtool " + arguments + " < " +
                                    input + " > " + path("out") + " 2> " + path("err") + " " +
                                    redirections;
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(path("out")),
                readText(path("err"))};
    }
};

TEST_F(DmtoolProcessTest, CellsAndDumpOfSeveralFilesGoOnPastUnreadableOnes) {
    const std::string file = writeCraftedFile();
    const std::string files = file + " " + path("missing.dat") + " " + file;
    const ToolResult cells = runProcess("cells " + files);
    EXPECT_EQ(cells.status, 1);
    EXPECT_EQ(cells.err, path("missing.dat") + ": File not found\n");
    const auto lines = splitLines(cells.out);
    const auto single = splitLines(runTool({"cells", file}).out);
    ASSERT_EQ(lines.size(), 60u);
    EXPECT_EQ(lines[0], file + "\t" + single[0]);
    EXPECT_EQ(lines[59], file + "\t" + single[29]);

    const ToolResult dump = runProcess("dump " + files);
    EXPECT_EQ(dump.status, 1);
    EXPECT_EQ(dump.err, path("missing.dat") + ": File not found\n");
    const dmtool::Json all = dmtool::parseJson(dump.out);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], dmtool::parseJson(runTool({"dump", file}).out));
    EXPECT_TRUE(all[1].is_null());
    EXPECT_EQ(all[2], all[0]);
}

// Output that cannot be written and input that cannot be read are failures, never success.
TEST_F(DmtoolProcessTest, UnwritableOutputAndUnreadableInputAreReported) {
    const std::string file = writeCraftedFile();
    fs::create_directory(path("folder"));
    struct Case {
        std::string arguments;
        std::string input;
        std::string redirections;
        std::string message;
    };
    const std::string unwritten = "dmtool: cannot write the output";
    const Case cases[] = {
        {"--help", "/dev/null", "> /dev/full", unwritten},
        {"--help", "/dev/null", ">&-", unwritten},
        {"cells --help", "/dev/null", "> /dev/full", unwritten},
        {"load --help", "/dev/null", ">&-", unwritten},
        {"apply " + file + " -", "/dev/null", "<&-",
         "Cannot read standard input: Bad file descriptor"},
        {"apply " + file + " -", path("folder"), "", "Cannot read standard input: Is a directory"},
        {"load " + file + " -", "/dev/null", "<&-",
         "Cannot read standard input: Bad file descriptor"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // The tree built without Qt has no render module.
    if (fs::exists(fs::path(DM_BIN_DIR) / dmtool::kRenderModuleName))
        all.push_back({"render --help", "/dev/null", "> /dev/full", unwritten});
    for (const Case& c : all) {
        SCOPED_TRACE(c.arguments + " " + c.redirections);
        const ToolResult result = runProcess(c.arguments, c.input, c.redirections);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message + "\n");
    }
    EXPECT_EQ(readBytes(file), image_);
}

TEST_F(DmtoolProcessTest, CellsApplyAndErrorsEndToEnd) {
    const std::string file = copySample("27damage.dat");
    const Bytes before = readBytes(file);
    const ToolResult cells = runProcess("cells " + file);
    ASSERT_EQ(cells.status, 0) << cells.err;
    EXPECT_EQ(cells.out, runTool({"cells", file}).out);

    std::string edited = cells.out;
    edited.replace(0, 1, "0"); // Off/On of the first row
    writeBytes(path("edited.txt"), Bytes(edited.begin(), edited.end()));
    const ToolResult apply = runProcess("apply " + file + " -", path("edited.txt"));
    ASSERT_EQ(apply.status, 0) << apply.err;
    Bytes expected = before;
    expected[dm::recordOffset(0)] = 0;
    EXPECT_EQ(readBytes(file), expected);

    const ToolResult missing = runProcess("dump " + path("missing.dat"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "File not found\n");
    EXPECT_EQ(runProcess("cells").status, 2);
    const std::string toFullDisk =
        std::string(DM_BIN_DIR) + "/dmtool cells " + file + " > /dev/full 2> " + path("err");
    const int status = std::system(toFullDisk.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(readText(path("err")), "dmtool: cannot write the output\n");
}

// Seen from outside: an apply or load that changes no byte leaves the file and its time alone.
TEST_F(DmtoolProcessTest, ApplyOrLoadThatChangesNothingLeavesTheFileAndItsTime) {
    const std::string file = copySample("27damage.dat");
    const Bytes before = readBytes(file);
    const ToolResult cells = runProcess("cells " + file);
    const ToolResult dump = runProcess("dump " + file);
    ASSERT_EQ(cells.status, 0) << cells.err;
    ASSERT_EQ(dump.status, 0) << dump.err;
    writeBytes(path("cells.txt"), Bytes(cells.out.begin(), cells.out.end()));
    writeBytes(path("dump.json"), Bytes(dump.out.begin(), dump.out.end()));
    const std::string cellsFile = path("cells.txt");
    const std::string dumpFile = path("dump.json");
    for (const std::string& arguments :
         {"apply " + file + " " + cellsFile, "load " + file + " " + dumpFile,
          "load " + file + " " + dumpFile + " --header"}) {
        SCOPED_TRACE(arguments);
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
        const ToolResult result = runProcess(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        struct stat after {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_mtim.tv_sec, past[1].tv_sec);
        EXPECT_EQ(readBytes(file), before);
    }
}

} // namespace

// apply and load go through Save's replacing: a new file renamed over the old one, so that a kill
// never leaves a half-written file; the link, the mode and the bytes after the records stay.
TEST_F(DmtoolProcessTest, ApplyAndLoadReplaceTheFileWholeThroughItsLink) {
    const std::string file = writeCraftedFile();
    const std::string link = path("link.dat");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    dm::CellTexts texts = dm::fillCells(table_, ".");
    texts[0][3] = "12345";
    std::string cells;
    for (const auto& row : texts) {
        for (int column = 0; column < dm::kFieldCount; ++column)
            cells += (column > 0 ? "\t" : "") + row[column];
        cells += "\n";
    }
    writeBytes(path("cells.txt"), Bytes(cells.begin(), cells.end()));
    const std::string document = R"({"records": [{"slot": 1, "fields": {"Damage": 7654}}]})";
    writeBytes(path("doc.json"), Bytes(document.begin(), document.end()));
    for (const std::string& arguments :
         {"apply " + link + " " + path("cells.txt"), "load " + link + " " + path("doc.json")}) {
        SCOPED_TRACE(arguments);
        struct stat before {};
        ASSERT_EQ(::stat(file.c_str(), &before), 0);
        const ToolResult result = runProcess(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        struct stat after {};
        struct stat linkAfter {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        ASSERT_EQ(::lstat(link.c_str(), &linkAfter), 0);
        EXPECT_TRUE(S_ISLNK(linkAfter.st_mode));
        EXPECT_NE(after.st_ino, before.st_ino) << "written in place";
        EXPECT_EQ(after.st_mode & 07777, 0640u);
        const Bytes bytes = readBytes(file);
        ASSERT_EQ(bytes.size(), image_.size());
        EXPECT_TRUE(std::equal(bytes.begin() + dm::kRecordsEnd, bytes.end(),
                               image_.begin() + dm::kRecordsEnd));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 6)
        << "a temporary was left";
}
