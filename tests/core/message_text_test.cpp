#include "core/message_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageText, EscapesWhatATerminalWouldActOnAndCutsLongTexts) {
    const std::string forty(40, 'a');
    std::string fortyAccents;
    for (int i = 0; i < 40; ++i)
        fortyAccents += "\u00e9";
    struct Case {
        const char* name;
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"C0 controls", std::string("\x1b[2J\0\n\t \u6a5f\U0001F600", 15),
         "\\u001b[2J\\u0000\\u000a\\u0009 \u6a5f\U0001F600"},
        {"DEL and C1 controls", "\x7f\u0085\u009b\u00a0", "\\u007f\\u0085\\u009b\u00a0"},
        {"C1 edges", "\u0080\u009f\u00a0", "\\u0080\\u009f\u00a0"},
        {"bidi overrides and isolates", "a\u202ab\u202ec\u2066d\u2069e",
         "a\\u202ab\\u202ec\\u2066d\\u2069e"},
        {"line and paragraph separators", "a\u2028b\u2029c", "a\\u2028b\\u2029c"},
        {"zero-width and byte order mark", "\u200b\u200f\ufeff\u061c",
         "\\u200b\\u200f\\ufeff\\u061c"},
        {"visible neighbours of the invisible", "\u200a\u2010\u2027\u202f\u206a\ufefe",
         "\u200a\u2010\u2027\u202f\u206a\ufefe"},
        {"bytes that are no UTF-8", "\xff\x80 \xc3", "\\xff\\x80 \\xc3"},
        {"overlong escape", "\xc1\x9b\xe0\x80\x9b", "\\xc1\\x9b\\xe0\\x80\\x9b"},
        {"surrogate and beyond U+10FFFF", "\xed\xa0\x80\xf4\x90\x80\x80",
         "\\xed\\xa0\\x80\\xf4\\x90\\x80\\x80"},
        {"forty characters", forty, forty},
        {"forty-one characters", forty + "b", forty + "..."},
        {"cut by characters, not bytes", fortyAccents + "\u00e9", fortyAccents + "..."},
        {"an escape counts as one character", std::string(39, 'a') + "\x1b" + "bc",
         std::string(39, 'a') + "\\u001b..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm::messageText(c.text), c.shown) << c.name;
}

TEST(MessageText, EscapedTextEscapesAlikeAndKeepsLongTextsWhole) {
    const std::string path = "/home/" + std::string(60, 'p') + "/\u202egnp.exe";
    EXPECT_EQ(dm::escapedText(path + "\x1b"),
              "/home/" + std::string(60, 'p') + "/\\u202egnp.exe\\u001b");
}

} // namespace
