#include "../support/recording_file_calls.h"
#include "damage_file_fixture.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <stdexcept>

using namespace dm;
using testsupport::RecordingFileCalls;

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool runsUnderWine() {
#ifdef _WIN32
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

std::ptrdiff_t temporariesIn(const fs::path& folder) {
    return std::ranges::count_if(fs::directory_iterator(folder), [](const fs::directory_entry& e) {
        return platform::isReplacementTemporaryName(e.path().filename().string());
    });
}

// The seam where a skipped sync shows: the new bytes are on the disk before the rename makes them
// the file, and the rename is on the disk before the routine returns.
TEST_F(DamageFileTest, AReplacementIsWrittenSyncedRenamedAndItsFolderSynced) {
    const Bytes old = randomBytes(kRecordsEnd + 35, 1);
    const Bytes fresh = randomBytes(kRecordsEnd + 7, 2);
    const std::string folderName = folder.filename().string();
    const IoError refused(5, "File access denied");
    struct Case {
        const char* name;
        const char* failingCall; // raises "File access denied" when it comes
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"an existing file",
         nullptr,
         {"create TEMP", "write TEMP", "keep attributes TEMP", "sync TEMP", "name TEMP",
          "close TEMP", "rename TEMP -> x.dat", "sync folder " + folderName}},
        {"a folder that takes no new file: in place, then synced",
         "create TEMP",
         {"open x.dat", "write x.dat", "resize x.dat", "sync x.dat", "close x.dat"}},
        {"a sync that fails renames nothing",
         "sync TEMP",
         {"create TEMP", "write TEMP", "keep attributes TEMP", "close quietly TEMP",
          "remove TEMP"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write("x.dat", old);
        RecordingFileCalls calls;
        const bool fails = c.failingCall && std::string(c.failingCall) != "create TEMP";
        calls.beforeCall = [&c, &refused](const std::string& call) {
            if (c.failingCall && call == c.failingCall)
                throw refused;
        };
        const auto replace = [&] {
            platform::replaceFile(pathOf("x.dat"), std::as_bytes(std::span(fresh)), calls);
        };
        if (fails)
            EXPECT_THROW(replace(), IoError);
        else
            replace();
        EXPECT_EQ(calls.log, c.calls);
        EXPECT_EQ(contents(pathOf("x.dat")), fails ? old : fresh);
        EXPECT_EQ(temporariesIn(folder), 0);
    }
}

// Every name the routine picks for its temporary is taken by the time it is given: it gives up
// with "File access denied" instead of trying for ever, and the file keeps its bytes.
TEST_F(DamageFileTest, AReplacementGivesUpWhenEveryNameIsTaken) {
    class NamesTaken : public RecordingFileCalls {
    public:
        int tries = 0;
        bool nameTemporary(Handle, const std::string&) override {
            if (++tries > 1000)
                throw std::runtime_error("never gives up");
            return false;
        }
    };
    const Bytes old = randomBytes(kRecordsEnd, 5);
    const Bytes fresh = randomBytes(kRecordsEnd, 6);
    write("x.dat", old);
    NamesTaken calls;
    try {
        platform::replaceFile(pathOf("x.dat"), std::as_bytes(std::span(fresh)), calls);
        ADD_FAILURE() << "replaced";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), 5);
    }
    EXPECT_EQ(contents(pathOf("x.dat")), old);
}

// The system's calls, with each named file's age to the second as the test gives it: a file's time
// cannot be set that exactly against a clock that runs on.
class AgedFileCalls : public RecordingFileCalls {
public:
    std::map<std::string, std::int64_t> ageSeconds; // by file name
    platform::EntryStatus status(const std::string& path) const override {
        platform::EntryStatus status = RecordingFileCalls::status(path);
        const auto aged = ageSeconds.find(fs::path(path).filename().string());
        if (aged != ageSeconds.end()) {
            EXPECT_NEAR(double(status.ageSeconds), double(aged->second), 5) << "the system's age";
            status.ageSeconds = aged->second;
        }
        return status;
    }
};

// Only temporaries of our own naming that no writer can still be at work on are removed.
TEST_F(DamageFileTest, AReplacementRemovesStaleTemporariesOfItsOwnNamingOnly) {
    struct Entry {
        const char* name;
        bool folder;
        int secondsOld;
        bool removed;
    };
    const Entry entries[] = {
        {".du2damage-0123456789abcdef.tmp", false, 601, true},
        {".du2damage-fedcba9876543210.tmp", false, 600, false}, // a writer may be at work on it
        {".du2damage-0123456789abcde.tmp", false, 3600, false},
        {".du2damage-aaaaaaaaaaaaaaaa.tmp", true, 3600, false},
        {"du2daminfo.INI.tmp1", false, 3600, false},
        {"notes.tmp7", false, 3600, false},
    };
    const auto now = fs::file_time_type::clock::now();
    AgedFileCalls calls;
    for (const Entry& entry : entries) {
        const fs::path path = folder / entry.name;
        std::error_code folderTimeRefused; // by Windows, where a folder's time needs other rights
        if (entry.folder)
            fs::create_directory(path);
        else
            write(entry.name, Bytes(3, 7));
        fs::last_write_time(path, now - std::chrono::seconds(entry.secondsOld), folderTimeRefused);
        if (!entry.folder)
            calls.ageSeconds[entry.name] = entry.secondsOld;
    }
    const Bytes fresh = randomBytes(kRecordsEnd, 3);
    platform::replaceFile(pathOf("x.dat"), std::as_bytes(std::span(fresh)), calls);
    for (const Entry& entry : entries)
        EXPECT_EQ(fs::exists(folder / entry.name), !entry.removed) << entry.name;
    EXPECT_EQ(contents(pathOf("x.dat")), fresh);
}

// Another program empties or deletes the open file: Save puts back the whole file, the header and
// the bytes after the records as they were read around the table's records.
TEST_F(DamageFileTest, SaveWritesTheWholeFileWhateverIsOnDisk) {
    const Bytes original = randomBytes(kRecordsEnd + 35, 4);
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "deleted" : "emptied");
        if (deleted && runsUnderWine())
            continue; // Wine keeps a deleted file's name until its last handle is closed
        const std::string path = write("00damage.dat", original);
        DamageFile file;
        file.open(path, header_, table_);
        if (deleted)
            fs::remove(nativePath(path));
        else
            std::ofstream(nativePath(path)).close();
        EXPECT_TRUE(file.changedOnDisk());
        table_[29].Float5 = 2.5f;
        file.save(table_);
        Bytes expected = original;
        const auto record = encodeRecord(table_[29]);
        std::copy(record.begin(), record.end(), expected.begin() + recordOffset(29));
        EXPECT_EQ(contents(path), expected);
        EXPECT_FALSE(file.changedOnDisk()) << "what Save wrote is what it knows";
        EXPECT_EQ(temporariesIn(folder), 0);
    }
}

} // namespace
