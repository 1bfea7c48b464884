#include "core/errors.h"
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("settings_store_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = (folder_ / "du2daminfo.INI").string();
    }
    void TearDown() override { fs::remove_all(folder_); }

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

} // namespace
