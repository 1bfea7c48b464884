// The settings file's text model, fed random and damaged files: the written value reads back and
// every other line stays. Plain text in, text out: it holds on every system.
#include "core/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// Random lines made of the pieces INI files are built from, hand edits and damage included.
std::string randomContent(std::mt19937& random) {
    static const std::string pieces[] = {
        "[",  "]", "=", ";",    " ",    "\r",    "\n", "\r\n", "\r\n", std::string(1, '\0'),
        "\"", "a", "B", "hbtv", "HBTV", "Form5", "x",  "\t",   "#"};
    std::string text;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i)
        text += pieces[random() % std::size(pieces)];
    return text;
}

// A well-formed file with a few bytes replaced, dropped or put in.
std::string fuzzedContent(std::mt19937& random) {
    std::string text = "; kept\r\n[file settings]\r\ninitdirect=D:\\planes\\\r\n[HBTV]\r\n"
                       "Form5=200,0,1,205,106,728,650\r\nForm5Color=255\r\n\r\n[Common]\r\n"
                       "Form3=200,0,3,1,2,3,4\r\n";
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = random() % (text.size() + 1);
        const char byte = "[]=;\r\n\0 \"x"[random() % 10];
        switch (random() % 3) {
        case 0:
            text.insert(at, 1, byte);
            break;
        case 1:
            text.erase(at, 1);
            break;
        default:
            if (at < text.size())
                text[at] = byte;
        }
    }
    return text;
}

// Lines as a reader sees them: text and line end (CR LF, LF, CR or none).
std::vector<std::pair<std::string, std::string>> linesOf(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            lines.back().first += text[i];
            continue;
        }
        const bool crlf = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        lines.back().second = crlf ? "\r\n" : std::string(1, text[i]);
        i += crlf ? 1 : 0;
        lines.emplace_back();
    }
    if (lines.back().first.empty())
        lines.pop_back();
    return lines;
}

std::string loweredKeyOf(const std::string& line) {
    std::string name;
    for (char c : line.substr(0, line.find('=')))
        if (c != ' ' && c != '\t')
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// `after` is `before` with only the written entry's line put in or replaced (its section header
// before it when the section is new), and a line end given to a last line that had none.
void expectOnlyTheEntryChanged(const std::string& before, const std::string& after,
                               const std::string& section, const std::string& key,
                               const std::string& value) {
    const auto old = linesOf(before);
    auto now = linesOf(after);
    const auto entry = std::find_if(now.begin(), now.end(), [&value](const auto& line) {
        return line.first.find('=' + value) != std::string::npos;
    });
    ASSERT_NE(entry, now.end());
    const std::size_t at = static_cast<std::size_t>(entry - now.begin());
    if (now.size() == old.size()) {
        EXPECT_EQ(loweredKeyOf(old[at].first), loweredKeyOf(key)) << "replaced: " << old[at].first;
        EXPECT_EQ(old[at].second, now[at].second);
        now[at] = old[at];
    } else {
        const bool newSection = now.size() == old.size() + 2;
        ASSERT_TRUE(newSection || now.size() == old.size() + 1);
        const std::size_t first = newSection ? at - 1 : at;
        if (newSection) {
            EXPECT_EQ(now[first].first, '[' + section + ']');
        }
        now.erase(now.begin() + static_cast<std::ptrdiff_t>(first), entry + 1);
        if (!old.empty() && old.back().second.empty())
            now[old.size() - 1].second.clear();
    }
    EXPECT_TRUE(now == old);
}

TEST(SettingsModelTest, AnyContentReadsBackTheWrittenValueAndKeepsEveryOtherLine) {
    // A new seed each run (--gtest_random_seed repeats one).
    const int seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 random(seed);
    const char* sections[] = {"HBTV", "hbtv", "a", "new one", "file settings"};
    const char* keys[] = {"Form5", "FORM5", "x", "initdirect"};
    for (int round = 0; round < 20000; ++round) {
        const std::string before = round % 2 ? randomContent(random) : fuzzedContent(random);
        const std::string section = sections[random() % std::size(sections)];
        const std::string key = keys[random() % std::size(keys)];
        // Unique in the file, with the awkward bytes a value may hold between its ends.
        const std::string value =
            "@" + std::to_string(round) + "[=;\"" + std::string(1, '\0') + "@";
        const std::string after = dm::ini::withValue(before, section, key, value);
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", round " << round << ", content \""
                                        << before << "\", [" << section << "] " << key);
        ASSERT_EQ(dm::ini::valueIn(after, section, key), value);
        ASSERT_NO_FATAL_FAILURE(expectOnlyTheEntryChanged(before, after, section, key, value));
        const std::optional<std::string> removed = dm::ini::withoutKey(after, section, key);
        ASSERT_TRUE(removed);
        EXPECT_NE(dm::ini::valueIn(*removed, section, key), value);
    }
}

} // namespace
