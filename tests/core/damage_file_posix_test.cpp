#include "damage_file_fixture.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace dm;

namespace {

// A listening local socket at `path`; stays open as long as the test runs.
void makeSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
    ::listen(fd, 1);
}

} // namespace

std::vector<FailureCase> platformFailureCases(DamageFileTest& test) {
    const std::string pipe = test.pathOf("pipe.dat");
    const std::string socket = test.pathOf("socket.dat");
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    makeSocket(socket);
    return {
        {"save as onto a full disk", [] { writeWholeFile("/dev/full", {}, {}); }, 101, "Disk full"},
        {"a system error outside the table (EIO)", [&test] { test.readInto("/proc/self/mem"); }, 5,
         "I/O error 5"},
        {"open a named pipe", [&test, pipe] { test.openAsCurrent(pipe); }, 100,
         "Read beyond end of file"},
        {"read a named pipe", [&test, pipe] { test.readInto(pipe); }, 100,
         "Read beyond end of file"},
        {"save in place into a named pipe", [pipe] { writeRecordsInPlace(pipe, {}); }, 100,
         "Read beyond end of file"},
        {"open a socket", [&test, socket] { test.openAsCurrent(socket); }, 100,
         "Read beyond end of file"},
        {"read a device that never ends", [&test] { test.readInto("/dev/zero"); }, 100,
         "Read beyond end of file"},
        {"open a device", [&test] { test.openAsCurrent("/dev/null"); }, 100,
         "Read beyond end of file"},
    };
}

namespace {

// Runs in a child process: uses up every file handle, then reads; exits with the error's code.
[[noreturn]] void readWithoutFileHandles(const std::string& path) {
    const rlimit limit{16, 16};
    ::setrlimit(RLIMIT_NOFILE, &limit);
    while (::open("/dev/null", O_RDONLY) >= 0) {
    }
    try {
        DamageFileHeader header{};
        PartTable table{};
        readDamageFile(path, header, table);
    } catch (const IoError& error) {
        std::_Exit(std::string(error.what()) == "Too many open files" ? error.code() : 1);
    }
    std::_Exit(0);
}

TEST_F(DamageFileTest, NoFileHandleLeftIsCodeFour) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' own checks need free file handles";
#endif
    const std::string path = write("full.dat", Bytes(kRecordsEnd, 0));
    EXPECT_EXIT(readWithoutFileHandles(path), ::testing::ExitedWithCode(4), "");
}

// Runs in a child process: a file size limit below a damage file's size; exits with the code.
[[noreturn]] void writeBeyondFileSizeLimit(const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{kHeaderSize, kHeaderSize};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        writeWholeFile(path, {}, PartTable{});
    } catch (const IoError& error) {
        std::_Exit(std::string(error.what()) == "Disk full" ? error.code() : 1);
    }
    std::_Exit(0);
}

TEST_F(DamageFileTest, FileTooLargeForTheLimitIsDiskFull) {
    EXPECT_EXIT(writeBeyondFileSizeLimit((folder / "big.dat").string()),
                ::testing::ExitedWithCode(101), "");
}

} // namespace
