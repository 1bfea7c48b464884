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
        {"update a named pipe", [pipe] { updateDamageFile(pipe, {}, {}); }, 100,
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

#include "../support/mounted_tmpfs.h"
#include "core/platform/file_replacement.h"

namespace {

std::size_t entriesIn(const fs::path& folder) {
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Save As's writer: whole or not at all, the old file's mode kept, links kept, nothing left over.
TEST_F(DamageFileTest, AFileIsReplacedWholeOrNotAtAll) {
    testsupport::MountedTmpfs small(folder / "small", "16k");
    if (!small.mounted())
        GTEST_SKIP() << testsupport::kMountNeedsRoot;
    const Bytes old = randomBytes(3000, 1);
    const Bytes fresh = randomBytes(kRecordsEnd + 35, 2);
    struct Case {
        const char* name;
        std::function<std::string()> prepare; // the path to replace
        const char* message;                  // null: replaced
        std::function<void(const std::string&)> check;
    };
    const Case cases[] = {
        {"an existing file keeps its mode",
         [&] {
             const std::string path = write("mode.dat", old);
             fs::permissions(path, fs::perms(0640));
             return path;
         },
         nullptr,
         [](const std::string& path) {
             EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
         }},
        {"a link stays a link",
         [&] {
             const std::string target = write("target.dat", old);
             fs::create_symlink(target, folder / "link.dat");
             return pathOf("link.dat");
         },
         nullptr,
         [&](const std::string& path) {
             EXPECT_TRUE(fs::is_symlink(path));
             EXPECT_EQ(contents(pathOf("target.dat")), fresh);
         }},
        {"a full file system",
         [&] {
             const std::string path = (small.path() / "full.dat").string();
             std::ofstream(path, std::ios::binary)
                 .write(reinterpret_cast<const char*>(old.data()), std::streamsize(old.size()));
             small.fill();
             return path;
         },
         "Disk full",
         [&](const std::string& path) {
             EXPECT_EQ(contents(path), old);
             EXPECT_EQ(entriesIn(small.path()), 2u) << "no temporary file is left";
         }},
        {"a missing folder", [&] { return pathOf("no/such/x.dat"); }, "Invalid filename", {}},
        {"a read-only file system",
         [&] {
             const std::string path = (small.path() / "full.dat").string();
             EXPECT_TRUE(small.makeReadOnly());
             return path;
         },
         "File access denied", [&](const std::string& path) { EXPECT_EQ(contents(path), old); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.prepare();
        const auto replace = [&] { platform::replaceFile(path, std::as_bytes(std::span(fresh))); };
        if (c.message) {
            try {
                replace();
                ADD_FAILURE() << "no failure";
            } catch (const IoError& error) {
                EXPECT_STREQ(error.what(), c.message);
            }
        } else {
            replace();
            EXPECT_EQ(contents(path), fresh);
        }
        if (c.check)
            c.check(path);
    }
    EXPECT_EQ(entriesIn(folder), 4u) << "mode.dat, target.dat, link.dat, small";
}

TEST_F(DamageFileTest, AFileOnReadOnlyMediaOpensReadOnly) {
    testsupport::MountedTmpfs media(folder / "media", "64k");
    if (!media.mounted())
        GTEST_SKIP() << testsupport::kMountNeedsRoot;
    const Bytes bytes = randomBytes(kRecordsEnd, 4);
    const std::string path = (media.path() / "00damage.dat").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(media.makeReadOnly());
    DamageFile file;
    file.open(path, header_, table_);
    EXPECT_TRUE(file.readOnly());
    EXPECT_EQ(encodeRecord(table_[3]), encodeRecord(decodeRecord(bytes.data() + recordOffset(3))));
    EXPECT_THROW(file.save(table_), IoError);
}

} // namespace
