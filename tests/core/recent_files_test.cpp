#include "../support/test_folder.h"
#include "core/recent_files.h"
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

class RecentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testsupport::freshTestFolder("recent_files_");
        path_ = (folder_ / "du2daminfo.INI").string();
    }
    void TearDown() override { testsupport::removeTestFolder(folder_); }

    dm::SettingsStore store() const { return dm::SettingsStore(path_); }
    dm::RecentFiles readBack() const {
        return dm::readRecentFiles(
            store().readValues(dm::kRecentFilesSection, dm::recentFileKeys()));
    }
    void keep(const dm::RecentFiles& files) const {
        store().writeEntries(dm::kRecentFilesSection, dm::recentFileEntries(files));
    }

    std::filesystem::path folder_;
    std::string path_;
};

// Names a settings line would bend read back exactly as they were kept.
TEST_F(RecentFilesTest, EveryKeepableNameReadsBackAsItWasKept) {
    const dm::RecentFiles names{"/planes/27damage.dat \t", "\"/planes/27damage.dat\"", "[Common]",
                                "D:\\Quellor Games\\0fdamage.dat",
                                "/\xc3\x9c"
                                "berflug/x.dat"};
    keep(names);
    EXPECT_EQ(readBack(), names);
}

TEST_F(RecentFilesTest, NewestFirstEachOnceAtMostEight) {
    dm::RecentFiles files;
    for (int i = 1; i <= 10; ++i)
        files = dm::withRecentFile(files, "/f" + std::to_string(i));
    EXPECT_EQ(files, (dm::RecentFiles{"/f10", "/f9", "/f8", "/f7", "/f6", "/f5", "/f4", "/f3"}));

    struct Case {
        const char* name;
        const char* added;
        dm::RecentFiles expected;
    };
    const dm::RecentFiles start{"/a", "/b", "/c"};
    const Case cases[] = {
        {"already first", "/a", {"/a", "/b", "/c"}},
        {"last moves up", "/c", {"/c", "/a", "/b"}},
        {"new", "/d", {"/d", "/a", "/b", "/c"}},
        {"line feed is not kept", "/x\n/y", start},
        {"carriage return is not kept", "/x\r", start},
        {"empty is not kept", "", start},
        {"another spelling of a listed name", "\\B",
         kNamesIgnoreCase ? dm::RecentFiles{"\\B", "/a", "/c"}
                          : dm::RecentFiles{"\\B", "/a", "/b", "/c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::withRecentFile(start, c.added), c.expected) << c.name;
    EXPECT_EQ(dm::withoutRecentFile(start, "/b"), (dm::RecentFiles{"/a", "/c"}));
}

// A full list reads back whole; a shorter list removes the keys it no longer needs, so that a stale
// ninth-oldest cannot come back; a hand-edited section with gaps and repeats reads as the names it
// holds, once each.
TEST_F(RecentFilesTest, AShorterListLeavesNoStaleKeysAndGapsAreSkipped) {
    const dm::RecentFiles eight{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"};
    keep(eight);
    EXPECT_EQ(readBack(), eight);
    keep({"/2"});
    EXPECT_EQ(readBack(), dm::RecentFiles{"/2"});
    EXPECT_EQ(store().readString(dm::kRecentFilesSection, "File2", "<none>"), "<none>");

    std::ofstream(path_, std::ios::binary)
        << "[recent files]\r\nFile3=/c\r\nfile1=/a\r\nFile5=\r\nFile6=/a\r\nFile7=/C\r\n"
           "File9=/z\r\n";
    const dm::RecentFiles expected =
        kNamesIgnoreCase ? dm::RecentFiles{"/a", "/c"} : dm::RecentFiles{"/a", "/c", "/C"};
    EXPECT_EQ(readBack(), expected);
}

} // namespace
