#include "core/cell_block.h"

#include <gtest/gtest.h>

namespace {

using dm::CellBlock;

TEST(CellBlock, PastedTextSplitsIntoLinesAndCells) {
    struct Case {
        const char* name;
        std::string text;
        CellBlock block;
    };
    const Case cases[] = {
        {"one cell", "7", {{"7"}}},
        {"empty text", "", {{""}}},
        {"cells and CR LF lines", "a\tb\r\nc\td", {{"a", "b"}, {"c", "d"}}},
        {"LF and CR end lines too", "a\nb\rc", {{"a"}, {"b"}, {"c"}}},
        {"CR CR LF is two line ends", "a\r\r\nb", {{"a"}, {""}, {"b"}}},
        {"a final line break starts no line", "a\tb\r\n", {{"a", "b"}}},
        {"only the last break is dropped", "a\n\n", {{"a"}, {""}}},
        {"a lone line break", "\n", {{""}}},
        {"empty cells kept", "\t\n\tx\t", {{"", ""}, {"", "x", ""}}},
        {"bytes kept as written",
         std::string("\xef\xbf\xbd \0", 5),
         {{std::string("\xef\xbf\xbd \0", 5)}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::parseCellBlock(c.text), c.block) << c.name;
}

TEST(CellBlock, CopiedTextJoinsCellsByTabsAndLinesByCrLfAndPastesBackWhole) {
    struct Case {
        const char* name;
        CellBlock block;
        std::string text;
    };
    const Case cases[] = {
        {"cells and lines", {{"1", "", "2.50"}, {"x", "y", ""}}, "1\t\t2.50\r\nx\ty\t"},
        {"a blank last row", {{"1"}, {"2"}, {""}}, "1\r\n2\r\n\r\n"},
        {"one blank cell", {{""}}, "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dm::formatCellBlock(c.block), c.text);
        EXPECT_EQ(dm::parseCellBlock(c.text), c.block);
    }
    EXPECT_EQ(dm::formatCellBlock({}), "");
}

TEST(CellBlock, PasteIsCutWhileItIsSplitInEitherEncoding) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t rows, columns;
        CellBlock block;
    };
    const Case cases[] = {
        {"cut at the edges", "a\tb\tc\r\nd\te\tf\r\ng", 2, 2, {{"a", "b"}, {"d", "e"}}},
        {"just enough", "a\tb\nc\td\n", 2, 2, {{"a", "b"}, {"c", "d"}}},
        {"a short line keeps its length", "a\nb\tc", 5, 5, {{"a"}, {"b", "c"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const dm::CellSpans spans = dm::pastedCells(std::string_view(c.text), c.rows, c.columns);
        EXPECT_EQ(dm::parseCellBlock(c.text, c.rows, c.columns), c.block);
        const std::u16string wide(c.text.begin(), c.text.end());
        const dm::CellSpans wideSpans =
            dm::pastedCells(std::u16string_view(wide), c.rows, c.columns);
        ASSERT_EQ(wideSpans.size(), spans.size());
        for (std::size_t line = 0; line < spans.size(); ++line) {
            ASSERT_EQ(wideSpans[line].size(), spans[line].size());
            for (std::size_t cell = 0; cell < spans[line].size(); ++cell) {
                EXPECT_EQ(wideSpans[line][cell].offset, spans[line][cell].offset);
                EXPECT_EQ(wideSpans[line][cell].length, spans[line][cell].length);
            }
        }
    }
}

} // namespace
