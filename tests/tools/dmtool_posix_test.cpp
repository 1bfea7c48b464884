#include "dmtool_fixture.h"

#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>

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
    ToolResult runProcess(const std::string& arguments, const std::string& input = "/dev/null") {
        const std::string command = std::string(DM_BIN_DIR) + "/dmtool " + arguments + " < " +
                                    input + " > " + path("out") + " 2> " + path("err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(path("out")),
                readText(path("err"))};
    }
};

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

} // namespace
