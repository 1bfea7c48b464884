#include "core/settings_store.h"

#include "core/errors.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

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

bool isEntryLine(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    return first != std::string_view::npos && line[first] != ';' && line[first] != '#';
}

bool hasEntries(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        if (isEntryLine(std::string_view(text).substr(begin, end - begin)))
            return true;
        begin = end + 1;
    }
    return false;
}

// Comment and blank lines after the last section or key; the INI parser would drop them.
std::string trailingComments(const std::string& text) {
    std::size_t end = text.size();
    std::size_t tailStart = text.size();
    while (end > 0) {
        const std::size_t lineStart = text.rfind('\n', end - 1);
        const std::size_t begin = lineStart == std::string::npos ? 0 : lineStart + 1;
        if (isEntryLine(std::string_view(text).substr(begin, end - begin)))
            break;
        tailStart = begin;
        end = lineStart == std::string::npos ? 0 : lineStart;
    }
    const std::string tail = text.substr(tailStart);
    return tail.find_first_of(";#") == std::string::npos ? std::string() : tail;
}

class IniDocument {
public:
    explicit IniDocument(const std::string& path) {
        ini_.SetSpaces(false);
        std::optional<std::string> text = readText(path);
        if (!text)
            return;
        if (!hasEntries(*text)) {
            // Only comments and blank lines: kept whole, new entries go after them.
            head_ = *text;
            if (!head_.empty() && head_.back() != '\n')
                head_ += '\n';
            return;
        }
        ini_.LoadData(*text);
        tail_ = trailingComments(*text);
    }

    CSimpleIniA& ini() { return ini_; }

    // Writes the whole document; false when any part of it did not reach the file.
    bool save(const std::string& path) const {
        std::string text;
        if (ini_.Save(text) < 0)
            return false;
        text.insert(0, head_);
        if (!tail_.empty()) {
            if (!text.empty() && text.back() != '\n')
                text += '\n';
            text += tail_;
        }
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return false;
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        const bool closed = std::fclose(file) == 0;
        return written && closed;
    }

private:
    CSimpleIniA ini_;
    std::string head_;
    std::string tail_;
};

} // namespace

std::string SettingsStore::readString(const std::string& section, const std::string& key,
                                      const std::string& fallback) const {
    IniDocument document(path_);
    return document.ini().GetValue(section.c_str(), key.c_str(), fallback.c_str());
}

void SettingsStore::writeString(const std::string& section, const std::string& key,
                                const std::string& value) const {
    IniDocument document(path_);
    if (document.ini().SetValue(section.c_str(), key.c_str(), value.c_str()) < 0 ||
        !document.save(path_))
        throw DamageError("Unable to write to " + path_);
}

void SettingsStore::deleteKey(const std::string& section, const std::string& key) const {
    IniDocument document(path_);
    if (document.ini().Delete(section.c_str(), key.c_str()))
        document.save(path_);
}

} // namespace dm
