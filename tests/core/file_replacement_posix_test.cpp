#include "../support/recording_file_calls.h"
#include "core/platform/file_replacement.h"
#include "damage_file_fixture.h"

#include <chrono>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dm;

namespace {

constexpr uid_t kNobody = 65534;

// Runs in a child process: replaces `path`, and exits with 0 or with the code of the failure.
// Within `seconds`, or the alarm ends it: a routine that hangs fails instead of stopping the suite.
[[noreturn]] void replaceAndExit(const std::string& path, const Bytes& bytes, unsigned seconds,
                                 platform::FileCalls& calls = platform::systemFileCalls()) {
    ::alarm(seconds);
    try {
        platform::replaceFile(path, std::as_bytes(std::span(bytes)), calls);
    } catch (const IoError& error) {
        std::_Exit(error.code());
    }
    std::_Exit(0);
}

TEST_F(DamageFileTest, ALoopOfLinksFailsAtOnce) {
    const Bytes fresh = randomBytes(kRecordsEnd, 1);
    fs::create_symlink("b.dat", folder / "a.dat");
    fs::create_symlink("a.dat", folder / "b.dat");
    // A chain as long as the routine follows, and one link longer.
    for (int link = 0; link <= platform::kMostLinksFollowed; ++link)
        fs::create_symlink("chain" + std::to_string(link + 1),
                           folder / ("chain" + std::to_string(link)));
    struct Case {
        const char* name;
        const char* path;
        int code; // 0: written
    };
    const Case cases[] = {
        {"two links to each other", "a.dat", 3},
        {"the longest chain followed", "chain1", 0},
        {"one link more", "chain0", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(replaceAndExit(pathOf(c.path), fresh, 10), ::testing::ExitedWithCode(c.code),
                    "");
    }
    const std::string end = "chain" + std::to_string(platform::kMostLinksFollowed + 1);
    EXPECT_EQ(contents(pathOf(end)), fresh);
    EXPECT_TRUE(fs::is_symlink(folder / "chain1"));
}

// A kill after the complete temporary got its name and before the rename: it stays until a later
// write into that folder finds it older than any writer at work could leave it.
TEST_F(DamageFileTest, ATemporaryLeftByAKillIsRemovedOnceItIsStale) {
    const Bytes old = randomBytes(kRecordsEnd, 2);
    const Bytes fresh = randomBytes(kRecordsEnd + 35, 3);
    const std::string path = write("27damage.dat", old);
    testsupport::RecordingFileCalls killedBeforeRename;
    killedBeforeRename.beforeCall = [](const std::string& call) {
        if (call.starts_with("rename"))
            std::_Exit(9);
    };
    EXPECT_EXIT(replaceAndExit(path, fresh, 10, killedBeforeRename), ::testing::ExitedWithCode(9),
                "");
    fs::path left;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (platform::isReplacementTemporaryName(entry.path().filename().string()))
            left = entry.path();
    EXPECT_EQ(contents(left.string()), fresh) << "complete, synced";
    EXPECT_EQ(contents(path), old);

    platform::replaceFile(pathOf("other.dat"), std::as_bytes(std::span(old)));
    EXPECT_TRUE(fs::exists(left)) << "a writer may still be at work on it";
    fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::minutes(11));
    platform::replaceFile(pathOf("other.dat"), std::as_bytes(std::span(old)));
    EXPECT_FALSE(fs::exists(left));
}

// Runs in a child process as an ordinary user, whom permissions stop as they stop our users.
[[noreturn]] void replaceAsNobody(const std::string& path, const Bytes& bytes) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
        std::_Exit(100);
    replaceAndExit(path, bytes, 10);
}

// Tests run as root: the step that permissions must stop runs as nobody.
TEST_F(DamageFileTest, AnOrdinaryUserReplacesOnlyWhatTheyMayWrite) {
    const Bytes old = randomBytes(kRecordsEnd + 3, 4);
    const Bytes fresh = randomBytes(kRecordsEnd, 5);
    fs::permissions(folder, fs::perms(0755));
    fs::create_directory(folder / "open");
    fs::permissions(folder / "open", fs::perms(0777));
    fs::create_directory(folder / "shared");
    fs::permissions(folder / "shared", fs::perms(01777)); // only owners rename their files

    struct Case {
        const char* name;
        const char* file;
        fs::perms mode;
        int code;          // 0: written
        bool sameFileKept; // written in place rather than replaced
    };
    const Case cases[] = {
        {"another user's read-only file in a folder the user may write", "open/theirs.dat",
         fs::perms(0644), 5, true},
        {"another user's writable file in a shared folder", "shared/theirs.dat", fs::perms(0666), 0,
         true},
        {"a writable file in a writable folder", "open/shared.dat", fs::perms(0666), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.file, old);
        fs::permissions(path, c.mode);
        const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
        fs::last_write_time(path, past);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        EXPECT_EXIT(replaceAsNobody(path, fresh), ::testing::ExitedWithCode(c.code), "");
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(contents(path), c.code == 0 ? fresh : old);
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFileKept);
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (c.code != 0) {
            EXPECT_EQ(fs::last_write_time(path), past);
        }
    }
    for (const char* sub : {"open", "shared"})
        for (const fs::directory_entry& entry : fs::directory_iterator(folder / sub))
            EXPECT_FALSE(platform::isReplacementTemporaryName(entry.path().filename().string()));
}

} // namespace
