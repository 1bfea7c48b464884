#include "../support/recording_file_calls.h"
#include "../support/test_folder.h"
#include "core/errors.h"
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testsupport::freshTestFolder("settings_store_");
        path_ = (folder_ / "du2daminfo.INI").string();
    }
    void TearDown() override { testsupport::removeTestFolder(folder_); }

    void writeFile(const std::string& text) const {
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string fileText() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
    std::string path_;
};

TEST_F(SettingsStoreTest, ReadsDefaultsValuesAndEmptyValuesWithoutRegardToCase) {
    const dm::SettingsStore store(path_);
    EXPECT_EQ(store.readString("file settings", "initdirect", "c:\\"), "c:\\");
    EXPECT_FALSE(fs::exists(path_)) << "reading must not create the file";

    writeFile(
        "[File Settings]\r\nInitDirect=D:\\planes\\\r\nEmpty=\r\n[HBTV]\r\nForm5=200,0,1\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"file settings", "initdirect", "D:\\planes\\"},
        {"FILE SETTINGS", "INITDIRECT", "D:\\planes\\"},
        {"file settings", "empty", ""},
        {"file settings", "missing", "<default>"},
        {"hbtv", "form5", "200,0,1"},
        {"HBSV", "Form6", "<default>"},
        {"file settings", "Form5", "<default>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.readString(c.section, c.key, "<default>"), c.expected)
            << c.section << " / " << c.key;
}

TEST_F(SettingsStoreTest, WritesCreateFileSectionAndKeyAsKeyEqualsValue) {
    const dm::SettingsStore store(path_);
    store.writeString("file settings", "initdirect", "/home/pilot/planes/");
    store.writeString("HBTV", "Form5", "200,0,1,205,106,728,650");
    EXPECT_EQ(store.readString("file settings", "initdirect", "c:\\"), "/home/pilot/planes/");
    const std::string text = fileText();
    EXPECT_NE(text.find("[file settings]"), std::string::npos) << text;
    EXPECT_NE(text.find("initdirect=/home/pilot/planes/\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[HBTV]"), std::string::npos) << text;
    EXPECT_NE(text.find("Form5=200,0,1,205,106,728,650\n"), std::string::npos) << text;
}

TEST_F(SettingsStoreTest, WriteReplacesTheEntryWhateverItsCaseAndKeepsTheRest) {
    writeFile("; written by hand\n"
              "[File Settings]\n"
              "; the last folder\n"
              "InitDirect = old\n"
              "other=kept\n"
              "[Extra]\n"
              "a=1\n"
              "; closing remark\n");
    const dm::SettingsStore store(path_);
    store.writeString("file settings", "initdirect", "new/");
    const std::string text = fileText();
    EXPECT_EQ(store.readString("File Settings", "InitDirect", ""), "new/");
    EXPECT_EQ(text.find("= old"), std::string::npos) << text;
    EXPECT_EQ(text.find("initdirect"), std::string::npos) << "one entry, its name as in the file";
    for (const char* kept : {"; written by hand", "; the last folder", "InitDirect=new/",
                             "other=kept", "[Extra]", "a=1", "; closing remark"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " missing in:\n" << text;
}

TEST_F(SettingsStoreTest, EveryOtherLineStaysExactlyAndQuotesAroundAValueAreDropped) {
    const std::string before = "stray before any section\r\n"
                               "[Common]\r\n"
                               "no equals sign here\r\n"
                               "Key1 = plain\r\n"
                               "Key2=\"quoted\"\r\n"
                               "Key3=\"\"\r\n"
                               "Key4=\"half\r\n"
                               "Key5=in \"the\" middle\r\n"
                               "\r\n"
                               "; remark\r\n"
                               "[HBTV]\r\n"
                               "Form5=1\r\n"
                               "last loose line";
    writeFile(before);
    const dm::SettingsStore store(path_);
    for (int run = 0; run < 3; ++run) {
        store.writeString("hbtv", "FORM5", "2");
        store.writeString("Common", "Form3", "3");
        store.writeString("HBSV", "Form6", "4");
        store.deleteKey("Common", "Key1");
    }
    EXPECT_EQ(fileText(), "stray before any section\r\n"
                          "[Common]\r\n"
                          "no equals sign here\r\n"
                          "Key2=\"quoted\"\r\n"
                          "Key3=\"\"\r\n"
                          "Key4=\"half\r\n"
                          "Key5=in \"the\" middle\r\n"
                          "Form3=3\r\n"
                          "\r\n"
                          "; remark\r\n"
                          "[HBTV]\r\n"
                          "Form5=2\r\n"
                          "last loose line\r\n"
                          "[HBSV]\r\n"
                          "Form6=4\r\n");

    struct Case {
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Key2", "quoted"},
        {"Key3", ""},
        {"Key4", "\"half"},
        {"Key5", "in \"the\" middle"},
        {"no equals sign here", "<default>"},
        {"Key1", "<default>"},
        {"Form3", "3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.readString("Common", c.key, "<default>"), c.expected) << c.key;
}

TEST_F(SettingsStoreTest, AFileOfCommentsOnlyKeepsThemOnce) {
    writeFile("; first\n\n; second\n");
    const dm::SettingsStore store(path_);
    store.writeString("HBSV", "Form6", "x");
    const std::string text = fileText();
    for (const char* comment : {"; first", "; second"}) {
        const std::size_t at = text.find(comment);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.find(comment, at + 1), std::string::npos) << text;
    }
    EXPECT_EQ(store.readString("HBSV", "Form6", ""), "x");
}

TEST_F(SettingsStoreTest, DeleteRemovesOnlyThatKeyAndIsSilentOtherwise) {
    const dm::SettingsStore store(path_);
    store.deleteKey("HBTV", "Form5Color");
    EXPECT_FALSE(fs::exists(path_)) << "deleting from a missing file creates nothing";

    writeFile("[HBTV]\nForm5=200,0,1,1,2,3,4\nform5color=255\nForm5Font=Arial\n");
    store.deleteKey("hbtv", "FORM5COLOR");
    store.deleteKey("HBTV", "Form5Font");
    store.deleteKey("HBTV", "NotThere");
    store.deleteKey("Nowhere", "Form5");
    EXPECT_EQ(store.readString("HBTV", "Form5Color", "gone"), "gone");
    EXPECT_EQ(store.readString("HBTV", "Form5Font", "gone"), "gone");
    EXPECT_EQ(store.readString("HBTV", "Form5", ""), "200,0,1,1,2,3,4");

    const dm::SettingsStore unwritable(folder_.string());
    EXPECT_NO_THROW(unwritable.deleteKey("HBTV", "Form5"));
}

TEST_F(SettingsStoreTest, AnUnwritableFileRaisesItsFullPath) {
    // Tests run as root: a folder where the file should be, a missing folder and a full disk.
    fs::create_directory(path_);
    const std::string missingFolder = (folder_ / "no such folder" / "du2daminfo.INI").string();
    for (const std::string& path : {path_, missingFolder, std::string("/dev/full")}) {
        const dm::SettingsStore store(path);
        try {
            store.writeString("HBTV", "Form5", "200,0,1,0,0,10,10");
            ADD_FAILURE() << "no error for " << path;
        } catch (const dm::DamageError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
        EXPECT_EQ(store.readString("HBTV", "Form5", "default"), "default") << path;
    }
}

TEST_F(SettingsStoreTest, HandEditedFilesReadWhatIsWrittenAndKeepEveryOtherLine) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string before;
        std::string after; // once [HBTV] Form5 is written as "new"
    };
    const Case cases[] = {
        {"key twice", "[HBTV]\nForm5=old\nFORM5=older\n", "[HBTV]\nForm5=new\nFORM5=older\n"},
        {"section twice", "[hbtv]\nA=1\n[HBTV]\nForm5=old\n",
         "[hbtv]\nA=1\nForm5=new\n[HBTV]\nForm5=old\n"},
        {"lone bracket", "[HBTV]\n[\nForm5=old\n", "[HBTV]\n[\nForm5=new\n"},
        {"NUL byte", "[HBTV]\nx=\0\nForm5=old\n"s, "[HBTV]\nx=\0\nForm5=new\n"s},
        {"bare CR", "[A]\rk=1\r[HBTV]\rForm5=old\r[B]\rm=2\r",
         "[A]\rk=1\r[HBTV]\rForm5=new\r[B]\rm=2\r"},
        {"mixed line ends", "[A]\r\nk=1\r[B]\nm=2",
         "[A]\r\nk=1\r[B]\nm=2\r\n[HBTV]\r\nForm5=new\r\n"},
        {"CR line put before a blank LF line", "[HBTV]\rA=1\n\n[B]\r",
         "[HBTV]\rA=1\nForm5=new\r\n\n[B]\r"},
        {"equals in key line", "[HBTV]\n Form5 = a=b \n", "[HBTV]\nForm5=new\n"},
    };
    const dm::SettingsStore store(path_);
    for (const Case& c : cases) {
        writeFile(c.before);
        EXPECT_NE(store.readString("HBTV", "Form5", "<missing>"), "new") << c.name;
        store.writeString("HBTV", "Form5", "new");
        EXPECT_EQ(store.readString("hbtv", "form5", "<missing>"), "new") << c.name;
        EXPECT_EQ(fileText(), c.after) << c.name;
        store.deleteKey("HBTV", "Form5");
        EXPECT_NE(store.readString("HBTV", "Form5", "<missing>"), "new") << c.name;
    }
    EXPECT_EQ(dm::ini::valueIn("[HBTV]\n[\nForm5=1\n", "HBTV", "Form5"), "1");
    EXPECT_EQ(dm::ini::valueIn("\0[HBTV]\nForm5=1\n"s, "HBTV", "Form5"), std::nullopt);
}

TEST_F(SettingsStoreTest, AFailedWriteLeavesTheOldFileWholeAndItsModeIsKept) {
    const std::string old = "[file settings]\ninitdirect=/planes/\n; user line\n";
    writeFile(old);
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    // The disk is full when the temporary file is written.
    testsupport::RecordingFileCalls calls;
    calls.beforeCall = [](const std::string& call) {
        if (call == "write TEMP")
            throw dm::IoError(101, "Disk full");
    };
    const dm::SettingsStore full(path_, calls);
    EXPECT_THROW(
        {
            try {
                full.writeString("HBTV", "Form5", "200,0,1,0,0,10,10");
            } catch (const dm::DamageError& error) {
                EXPECT_EQ(std::string(error.what()), "Unable to write to " + path_);
                throw;
            }
        },
        dm::DamageError);
    full.deleteKey("file settings", "initdirect");
    EXPECT_EQ(fileText(), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1)
        << "no temporary file is left behind";

    const dm::SettingsStore store(path_);
    store.writeString("HBTV", "Form5", "1");
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms(0640));
    EXPECT_THROW(store.writeString("HBTV", "Form5", "two\nlines"), dm::DamageError);
    EXPECT_EQ(store.readString("HBTV", "Form5", ""), "1");
}

TEST_F(SettingsStoreTest, OnAFullFileSystemTheOldFileStaysWhole) {
    const fs::path mountPoint = folder_ / "small";
    fs::create_directory(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "needs root (CAP_SYS_ADMIN) to mount a small file system, which this "
                        "run lacks; the seam test covers this";
    const std::unique_ptr<const char, int (*)(const char*)> unmount(mountPoint.c_str(), ::umount);
    const std::string path = (mountPoint / "du2daminfo.INI").string();
    const std::string old =
        "[file settings]\ninitdirect=/planes/\n" + std::string(3000, ';') + "\n";
    std::ofstream(path, std::ios::binary) << old;
    {
        std::ofstream filler((mountPoint / "filler").string(), std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }
    const dm::SettingsStore store(path);
    EXPECT_THROW(store.writeString("HBTV", "Form5", std::string(5000, '7')), dm::DamageError);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(mountPoint), fs::directory_iterator()), 2);
}

// Any key and value read back as written, and storing one again neither grows nor touches the
// file: a damage file's name ending in a blank keeps its plan picture.
TEST_F(SettingsStoreTest, KeysAndValuesReadBackAsWrittenAndARepeatChangesNothing) {
    struct Case {
        const char* name;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"a file name ending in a blank", "top 00damage.dat ", "50;0;0;60;0;/plans/top.png"},
        {"a key starting with a blank", " side x.dat", "1"},
        {"a key like a section", "[HBTV]", "\"quoted\""},
        {"a key holding an equals sign", "top a=b.dat", "#y"},
        {"a value with blanks at both ends", "k", "  a b\t"},
        {"an empty value", "k4", ""},
    };
    writeFile("[HBTV]\nForm5=200,0,1,1,2,3,4\n");
    const dm::SettingsStore store(path_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.writeString("HBTV", c.key, "first");
        store.writeString("HBTV", c.key, c.value);
        EXPECT_EQ(store.readString("HBTV", c.key, "<missing>"), c.value);
        const std::string text = fileText();
        const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
        fs::last_write_time(path_, past);
        store.writeString("HBTV", c.key, c.value);
        EXPECT_EQ(fileText(), text);
        EXPECT_EQ(fs::last_write_time(path_), past);
    }
    const std::string text = fileText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::ptrdiff_t(std::size(cases)) + 2)
        << text;
    EXPECT_EQ(store.readString("HBTV", "Form5", ""), "200,0,1,1,2,3,4");
    for (const std::string key : {"a\"=b", "line\nbreak"}) {
        EXPECT_THROW(store.writeString("HBTV", key, "1"), dm::DamageError) << key;
        EXPECT_EQ(store.readString("HBTV", key, "<missing>"), "<missing>");
    }
}

// Also in the folder that a linked settings file points to, a user's files are never touched.
TEST_F(SettingsStoreTest, AWriteRemovesStaleTemporariesOfItsOwnNamingOnly) {
    struct Entry {
        const char* name; // stale, in the settings file's folder and in the linked file's
        bool removed;
    };
    const Entry entries[] = {
        {".du2damage-0123456789abcdef.tmp", true},
        {"du2daminfo.INI.tmp1", false},
        {"real.INI.tmp123456", false},
        {"plan-notes.tmp7", false},
    };
    const fs::path linked = folder_ / "linked";
    fs::create_directory(linked);
    fs::create_symlink("linked/real.INI", path_);
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const fs::path& where : {folder_, linked})
        for (const Entry& entry : entries) {
            std::ofstream(where / entry.name) << "[HBTV]\n";
            fs::last_write_time(where / entry.name, past);
        }
    dm::SettingsStore(path_).writeString("HBTV", "Form5", "1");
    for (const Entry& entry : entries) {
        EXPECT_TRUE(fs::exists(folder_ / entry.name)) << "nothing is written here: " << entry.name;
        EXPECT_EQ(fs::exists(linked / entry.name), !entry.removed) << entry.name;
    }
    EXPECT_EQ(dm::SettingsStore((linked / "real.INI").string()).readString("HBTV", "Form5", ""),
              "1");
}

TEST_F(SettingsStoreTest, ALinkStaysALinkAndItsTargetIsWrittenOrMade) {
    fs::create_directory(folder_ / "sub");
    struct Case {
        const char* name;
        fs::path link;      // what du2daminfo.INI points to
        fs::path written;   // the file that ends up holding the settings
        const char* before; // the written file's text first, if it exists
    };
    const Case cases[] = {
        {"existing target", "real.INI", folder_ / "real.INI", "[HBTV]\nForm5=0\n"},
        {"missing target", "missing.INI", folder_ / "missing.INI", nullptr},
        {"missing target in a folder", "sub/missing.INI", folder_ / "sub" / "missing.INI", nullptr},
        {"chain to a missing target", "chain.INI", folder_ / "sub" / "end.INI", nullptr},
    };
    fs::create_symlink("sub/end.INI", folder_ / "chain.INI");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path_);
        fs::remove(c.written);
        if (c.before)
            std::ofstream(c.written) << c.before;
        fs::create_symlink(c.link, path_);
        dm::SettingsStore(path_).writeString("HBTV", "Form5", "1");
        std::error_code noLink;
        EXPECT_EQ(fs::read_symlink(path_, noLink), c.link);
        EXPECT_EQ(dm::SettingsStore(c.written.string()).readString("HBTV", "Form5", ""), "1");
    }
}

} // namespace
