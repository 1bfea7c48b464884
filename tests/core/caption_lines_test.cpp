#include "core/caption_lines.h"

#include "core/errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <utility>

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(CaptionLinesTest, SplitsAtEveryKindOfLineBreak) {
    const std::vector<SplitCase> cases = {
        {"empty text", "", {}},
        {"one line without break", "abc", {"abc"}},
        {"final CR LF makes no extra line", "a\r\nb\r\n", {"a", "b"}},
        {"lone LF", "a\nb", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"mixed breaks", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"empty lines are captions", "\r\n\r\nx", {"", "", "x"}},
        {"only a break", "\n", {""}},
        {"two final breaks", "a\n\n", {"a", ""}},
        {"blanks kept", "  a b \t\r\n ", {"  a b \t", " "}},
        {"zero byte ends the text", std::string("a\nb\0c\nd", 7), {"a", "b"}},
        {"zero byte first", std::string("\0a\n", 3), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dm::splitCaptionLines(c.text), c.lines) << c.name;
}

class CaptionFilesTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("caption_lines_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void write(const char* name, const std::string& bytes) {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }

    // Applies the files and returns every write as (column, row) -> text, in order of writing.
    std::vector<std::pair<std::pair<int, int>, std::string>> load() {
        std::vector<std::pair<std::pair<int, int>, std::string>> writes;
        dm::loadCaptionFiles(folder_.string(), [&](int column, int row, const std::string& text) {
            writes.push_back({{column, row}, text});
        });
        return writes;
    }

    std::filesystem::path folder_;
};

TEST_F(CaptionFilesTest, AppliesAtMostTheShownColumnsAndAllRows) {
    std::string columns, rows;
    for (int i = 0; i < 25; ++i)
        columns += "C" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 40; ++i)
        rows += "R" + std::to_string(i) + "\n";
    write(dm::kColumnCaptionFileName, columns);
    write(dm::kRowCaptionFileName, rows);

    const auto writes = load();
    ASSERT_EQ(writes.size(), 19u + 31u);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(writes[i], std::make_pair(std::make_pair(i, 0), "C" + std::to_string(i)));
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(writes[19 + i], std::make_pair(std::make_pair(0, i), "R" + std::to_string(i)));
    EXPECT_EQ(writes.back().second, "R30");
    // The corner is written last by the row file.
    EXPECT_EQ(writes[19].first, std::make_pair(0, 0));
}

TEST_F(CaptionFilesTest, ShortAndEmptyFilesWriteOnlyTheirLines) {
    write(dm::kColumnCaptionFileName, "A\r\nB\r\nC");
    write(dm::kRowCaptionFileName, "");
    const auto writes = load();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[2], std::make_pair(std::make_pair(2, 0), std::string("C")));
}

TEST_F(CaptionFilesTest, DecodesSingleByteCharacters) {
    write(dm::kColumnCaptionFileName, "Gr\xF6\xDF"
                                      "e \x80\r\n");
    write(dm::kRowCaptionFileName, "x");
    const auto writes = load();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].second, "Gr\xC3\xB6\xC3\x9F"
                                "e \xE2\x82\xAC");
}

TEST_F(CaptionFilesTest, MissingColumnFileAppliesNothing) {
    write(dm::kRowCaptionFileName, "Row corner\n");
    std::vector<int> written;
    const std::string expected =
        "Cannot open file " + (folder_ / dm::kColumnCaptionFileName).string();
    try {
        dm::loadCaptionFiles(folder_.string() + "/", [&](int column, int, const std::string&) {
            written.push_back(column);
        });
        FAIL() << "no error raised";
    } catch (const dm::DamageError& error) {
        EXPECT_EQ(std::string(error.what()), expected);
    }
    EXPECT_TRUE(written.empty());
}

TEST_F(CaptionFilesTest, FailedRowFileLeavesColumnCaptionsApplied) {
    write(dm::kColumnCaptionFileName, "Corner\nOne\n");
    std::filesystem::create_directory(folder_ / dm::kRowCaptionFileName); // a folder, not a file
    std::vector<std::string> written;
    EXPECT_THROW(
        dm::loadCaptionFiles(folder_.string(),
                             [&](int, int, const std::string& text) { written.push_back(text); }),
        dm::DamageError);
    EXPECT_EQ(written, (Lines{"Corner", "One"}));
}

} // namespace
