#include "core/settings_store.h"

#include "core/errors.h"
#include "core/platform/file_replacement.h"
#include "core/platform/system.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace dm {

namespace {

std::string lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// One pair of double quotes around a value is not part of it.
std::string withoutSurroundingQuotes(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

struct Line {
    std::string text; // without its line end
    std::string end;  // "\r\n", "\n", "\r", or empty for a last line without one
};

// Every CR LF, LF and bare CR ends a line; nothing else does.
std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t breakAt = text.find_first_of("\r\n", begin);
        if (breakAt == std::string_view::npos) {
            lines.push_back({std::string(text.substr(begin)), {}});
            break;
        }
        const bool crlf = text[breakAt] == '\r' && text.substr(breakAt, 2) == "\r\n";
        const std::size_t next = breakAt + (crlf ? 2 : 1);
        lines.push_back({std::string(text.substr(begin, breakAt - begin)),
                         std::string(text.substr(breakAt, next - breakAt))});
        begin = next;
    }
    return lines;
}

bool isComment(std::string_view line) {
    const std::string_view text = trimmed(line);
    return !text.empty() && (text.front() == ';' || text.front() == '#');
}

// The lowered name of a "[name]" line; nothing for any other line.
std::optional<std::string> sectionName(std::string_view line) {
    const std::string_view text = trimmed(line);
    const std::size_t close = text.find(']');
    if (text.empty() || text.front() != '[' || close == std::string_view::npos)
        return std::nullopt;
    return lowered(trimmed(text.substr(1, close - 1)));
}

// A key line: its key, and where its value starts after the "=".
struct KeyLine {
    std::string_view name;
    std::size_t valueAt;
};

// A key in double quotes ends at the first quote that only blanks part from an "=".
std::optional<KeyLine> quotedKey(std::string_view line) {
    const std::size_t open = line.find_first_not_of(" \t");
    if (open == std::string_view::npos || line[open] != '"')
        return std::nullopt;
    for (std::size_t close = line.find('"', open + 1); close != std::string_view::npos;
         close = line.find('"', close + 1)) {
        const std::size_t equals = line.find_first_not_of(" \t", close + 1);
        if (equals != std::string_view::npos && line[equals] == '=')
            return KeyLine{line.substr(open + 1, close - open - 1), equals + 1};
    }
    return std::nullopt;
}

// The key of a "key=value" line as written, nothing for any other line.
std::optional<KeyLine> keyLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || isComment(line) || sectionName(line))
        return std::nullopt;
    if (const std::optional<KeyLine> quoted = quotedKey(line))
        return quoted;
    const std::string_view key = trimmed(line.substr(0, equals));
    if (key.empty())
        return std::nullopt;
    return KeyLine{key, equals + 1};
}

bool hasOuterBlank(std::string_view text) {
    return !text.empty() && (std::string_view(" \t").find(text.front()) != std::string_view::npos ||
                             std::string_view(" \t").find(text.back()) != std::string_view::npos);
}

// Quoted where the plain text would not read back as it is.
std::string keyText(std::string_view key) {
    const bool plain = !key.empty() && !hasOuterBlank(key) &&
                       std::string_view("\"[;#").find(key.front()) == std::string_view::npos &&
                       key.find('=') == std::string_view::npos;
    return plain ? std::string(key) : '"' + std::string(key) + '"';
}

std::string valueText(std::string_view value) {
    const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return hasOuterBlank(value) || quoted ? '"' + std::string(value) + '"' : std::string(value);
}

class IniLines {
public:
    explicit IniLines(std::string_view text) : lines_(splitLines(text)) {
        const auto ended = std::find_if(lines_.begin(), lines_.end(),
                                        [](const Line& line) { return !line.end.empty(); });
        newLine_ = ended == lines_.end() ? std::string(platform::nativeLineEnd()) : ended->end;
    }

    // Where the entry is; `end` is the line where the first section of that name ends.
    struct Entry {
        std::size_t header = npos;
        std::size_t end = npos;
        std::size_t line = npos;
    };

    Entry find(std::string_view section, std::string_view key) const {
        const std::string wantedSection = lowered(section);
        const std::string wantedKey = lowered(key);
        Entry entry;
        for (std::size_t i = 0; i < lines_.size() && entry.header == npos; ++i)
            if (sectionName(lines_[i].text) == wantedSection)
                entry.header = i;
        if (entry.header == npos)
            return entry;
        entry.end = entry.header + 1;
        while (entry.end < lines_.size() && !sectionName(lines_[entry.end].text))
            ++entry.end;
        for (std::size_t i = entry.header + 1; i < entry.end && entry.line == npos; ++i) {
            const std::optional<KeyLine> name = keyLine(lines_[i].text);
            if (name && lowered(name->name) == wantedKey)
                entry.line = i;
        }
        return entry;
    }

    std::optional<std::string> value(const Entry& entry) const {
        if (entry.line == npos)
            return std::nullopt;
        const std::string& text = lines_[entry.line].text;
        return withoutSurroundingQuotes(
            trimmed(std::string_view(text).substr(keyLine(text)->valueAt)));
    }

    void set(const Entry& entry, std::string_view section, std::string_view key,
             std::string_view value) {
        const std::string line = keyText(key) + '=' + valueText(value);
        if (entry.line != npos) {
            Line& found = lines_[entry.line];
            found.text = keyText(keyLine(found.text)->name) + '=' + valueText(value);
        } else if (entry.header != npos) {
            std::size_t after = entry.header + 1;
            for (std::size_t i = entry.header + 1; i < entry.end; ++i)
                if (!trimmed(lines_[i].text).empty() && !isComment(lines_[i].text))
                    after = i + 1;
            insert(after, line);
        } else {
            insert(lines_.size(), '[' + std::string(section) + ']');
            insert(lines_.size(), line);
        }
    }

    void remove(const Entry& entry) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(entry.line));
    }

    std::string text() const {
        std::string all;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            all += lines_[i].text + lines_[i].end;
            // A CR before an empty LF line would read as one CR LF: the lines stay apart.
            const bool nextIsLineFeed =
                i + 1 < lines_.size() && lines_[i + 1].text.empty() && lines_[i + 1].end == "\n";
            if (lines_[i].end == "\r" && nextIsLineFeed)
                all += '\n';
        }
        return all;
    }

private:
    static constexpr std::size_t npos = std::string::npos;

    // Only the last line can lack a line end; one goes before it when a line follows.
    void insert(std::size_t at, std::string text) {
        if (at > 0 && lines_[at - 1].end.empty())
            lines_[at - 1].end = newLine_;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      {std::move(text), newLine_});
    }

    std::vector<Line> lines_;
    std::string newLine_;
};

// The file's bytes, or nothing when there is no readable regular file.
std::optional<std::string> readText(const std::string& utf8Path) {
    const fs::path path = platform::pathOf(utf8Path);
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

namespace ini {

std::optional<std::string> valueIn(std::string_view text, std::string_view section,
                                   std::string_view key) {
    const IniLines lines(text);
    return lines.value(lines.find(section, key));
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value) {
    IniLines lines(text);
    lines.set(lines.find(section, key), section, key, value);
    return lines.text();
}

std::optional<std::string> withoutKey(std::string_view text, std::string_view section,
                                      std::string_view key) {
    IniLines lines(text);
    const IniLines::Entry entry = lines.find(section, key);
    if (entry.line == std::string::npos)
        return std::nullopt;
    lines.remove(entry);
    return lines.text();
}

} // namespace ini

bool SettingsStore::replaceFile(const std::string& text) const {
    try {
        platform::replaceFile(path_, std::as_bytes(std::span(text)), *calls_);
        return true;
    } catch (const DamageError&) {
        return false;
    }
}

std::string SettingsStore::readString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const {
    return readValues(section, {key}).front().value_or(fallback);
}

std::vector<std::optional<std::string>>
SettingsStore::readValues(const std::string& section, const std::vector<std::string>& keys) const {
    const std::optional<std::string> text = readText(path_);
    std::vector<std::optional<std::string>> values;
    for (const std::string& key : keys)
        values.push_back(text ? ini::valueIn(*text, section, key) : std::nullopt);
    return values;
}

void SettingsStore::writeString(const std::string& section, const std::string& key,
                                const std::string& value) const {
    writeEntries(section, {{key, value}});
}

void SettingsStore::writeEntries(const std::string& section,
                                 const std::vector<SettingsEntry>& entries) const {
    std::error_code error;
    const bool present = fs::exists(platform::pathOf(path_), error);
    const std::optional<std::string> text = readText(path_);
    if (present && !text)
        throw DamageError("Unable to write to " + path_);
    std::string written = text.value_or(std::string());
    for (const SettingsEntry& entry : entries) {
        if (!entry.value) {
            written = ini::withoutKey(written, section, entry.key).value_or(written);
            continue;
        }
        written = ini::withValue(written, section, entry.key, *entry.value);
        // A name or value that would not read back as given (a line break in it) is not kept.
        if (ini::valueIn(written, section, entry.key) != *entry.value)
            throw DamageError("Unable to write to " + path_);
    }
    if (written != text && !replaceFile(written))
        throw DamageError("Unable to write to " + path_);
}

void SettingsStore::deleteKey(const std::string& section, const std::string& key) const {
    const std::optional<std::string> text = readText(path_);
    if (!text)
        return;
    if (const std::optional<std::string> shorter = ini::withoutKey(*text, section, key))
        replaceFile(*shorter);
}

} // namespace dm
