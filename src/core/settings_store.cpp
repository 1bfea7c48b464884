#include "core/settings_store.h"

#include "core/errors.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

namespace dm {

namespace {

// The file's text, or nothing when there is no readable regular file.
std::optional<std::string> readText(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string lowered(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Not blank and not a comment.
bool isEntryLine(std::string_view line) {
    const std::string_view text = trimmed(line);
    return !text.empty() && text.front() != ';' && text.front() != '#';
}

// One pair of double quotes around a value is not part of it.
std::string withoutSurroundingQuotes(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// The file as lines, each with its line end, edited in place the way the platform's profile
// writer does: every line that is not the entry in hand stays exactly as it was.
class IniLines {
public:
    explicit IniLines(const std::string& text) {
        newline_ = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find('\n', begin);
            end = end == std::string::npos ? text.size() : end + 1;
            lines_.push_back(text.substr(begin, end - begin));
            begin = end;
        }
    }

    // Replaces the key's line or adds it at the end of its section, adding the section if needed.
    void set(const std::string& section, const std::string& key, const std::string& value) {
        const auto [first, last] = sectionLines(section);
        if (first == npos) {
            endLastLine();
            lines_.push_back('[' + section + ']' + newline_);
            lines_.push_back(key + '=' + value + newline_);
            return;
        }
        if (const std::size_t at = keyLine(first, last, key); at != npos) {
            const std::string_view line = lines_[at];
            const std::string_view end = line.substr(line.find_last_not_of("\r\n") + 1);
            lines_[at] = std::string(trimmed(line.substr(0, line.find('=')))) + '=' + value +
                         std::string(end);
            return;
        }
        std::size_t after = first + 1;
        for (std::size_t i = first + 1; i < last; ++i)
            if (isEntryLine(lines_[i]))
                after = i + 1;
        if (after == lines_.size())
            endLastLine();
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after),
                      key + '=' + value + newline_);
    }

    // Removes the key's line; false when there is none.
    bool remove(const std::string& section, const std::string& key) {
        const auto [first, last] = sectionLines(section);
        const std::size_t at = first == npos ? npos : keyLine(first, last, key);
        if (at == npos)
            return false;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
        return true;
    }

    std::string text() const {
        std::string all;
        for (const std::string& line : lines_)
            all += line;
        return all;
    }

private:
    static constexpr std::size_t npos = std::string::npos;

    static std::optional<std::string> sectionName(std::string_view line) {
        const std::string_view text = trimmed(line);
        const std::size_t close = text.find(']');
        if (text.empty() || text.front() != '[' || close == std::string_view::npos)
            return std::nullopt;
        return lowered(trimmed(text.substr(1, close - 1)));
    }

    // The section's header line and the line where the next section starts.
    std::pair<std::size_t, std::size_t> sectionLines(const std::string& section) const {
        const std::string wanted = lowered(section);
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (sectionName(lines_[i]) != wanted)
                continue;
            std::size_t next = i + 1;
            while (next < lines_.size() && !sectionName(lines_[next]))
                ++next;
            return {i, next};
        }
        return {npos, npos};
    }

    std::size_t keyLine(std::size_t header, std::size_t end, const std::string& key) const {
        const std::string wanted = lowered(key);
        for (std::size_t i = header + 1; i < end; ++i) {
            const std::string_view line = trimmed(lines_[i]);
            const std::size_t equals = line.find('=');
            if (!isEntryLine(line) || equals == std::string_view::npos)
                continue;
            if (lowered(trimmed(line.substr(0, equals))) == wanted)
                return i;
        }
        return npos;
    }

    void endLastLine() {
        if (!lines_.empty() && lines_.back().back() != '\n')
            lines_.back() += newline_;
    }

    std::vector<std::string> lines_;
    std::string newline_;
};

bool writeText(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

} // namespace

std::string SettingsStore::readString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const {
    const std::optional<std::string> text = readText(path_);
    if (!text)
        return fallback;
    CSimpleIniA ini;
    ini.LoadData(*text);
    const char* value = ini.GetValue(section.c_str(), key.c_str());
    return value ? withoutSurroundingQuotes(value) : fallback;
}

void SettingsStore::writeString(const std::string& section, const std::string& key,
                                const std::string& value) const {
    std::error_code error;
    if (std::filesystem::exists(path_, error) && !std::filesystem::is_regular_file(path_, error))
        throw DamageError("Unable to write to " + path_);
    IniLines lines(readText(path_).value_or(std::string()));
    lines.set(section, key, value);
    if (!writeText(path_, lines.text()))
        throw DamageError("Unable to write to " + path_);
}

void SettingsStore::deleteKey(const std::string& section, const std::string& key) const {
    const std::optional<std::string> text = readText(path_);
    if (!text)
        return;
    IniLines lines(*text);
    if (lines.remove(section, key))
        writeText(path_, lines.text());
}

} // namespace dm
