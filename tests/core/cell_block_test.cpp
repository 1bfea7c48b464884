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

TEST(CellBlock, CopiedTextJoinsCellsByTabsAndLinesByCrLf) {
    const CellBlock block = {{"1", "", "2.50"}, {"x", "y", ""}};
    const std::string text = dm::formatCellBlock(block);
    EXPECT_EQ(text, "1\t\t2.50\r\nx\ty\t");
    EXPECT_EQ(dm::parseCellBlock(text), block);
    EXPECT_EQ(dm::formatCellBlock({}), "");
}

} // namespace
