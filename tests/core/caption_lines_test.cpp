#include "core/caption_lines.h"

#include <gtest/gtest.h>

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

} // namespace
