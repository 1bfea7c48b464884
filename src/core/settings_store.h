#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// The INI model on a file's text; the store below applies it to the file.
namespace ini {

// The value of the first `key` in the first `section`, or nothing.
std::optional<std::string> valueIn(std::string_view text, std::string_view section,
                                   std::string_view key);

// The text with that entry set to `value`: its line replaced, or added after the section's last
// entry, or added with the section at the end of the text.
std::string withValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view value);

// The text without that entry, or nothing when there is none.
std::optional<std::string> withoutKey(std::string_view text, std::string_view section,
                                      std::string_view key);

} // namespace ini

// One key of a section: its new value, or nothing where the key is to be removed.
struct SettingsEntry {
    std::string key;
    std::optional<std::string> value;
};

// One INI file, opened and closed by every operation, read and written through one model of its
// lines: section and key names match without regard to letter case, the first section of a name
// and the first key of a name in it are the ones read and written, and every other line, its line
// end (CR LF, LF or CR) included, stays exactly as it was. A line that is neither a section, a key
// nor a comment is an ordinary line: it belongs to the section above it and hides nothing.
class SettingsStore {
public:
    // Puts all of `bytes` into `file`; false when that failed. The disk's stand-in in tests.
    using WriteBytes = bool (*)(std::FILE* file, std::string_view bytes);

    explicit SettingsStore(std::string path, WriteBytes writeBytes = writeAllBytes)
        : path_(std::move(path)), writeBytes_(writeBytes) {}

    // The stored value, or `fallback` when the file or the key is missing. A key present with an
    // empty value reads as the empty string; one pair of double quotes around a value is dropped.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;

    // Creates the file, the section and the key as needed. The file is replaced as a whole or not
    // at all. Raises DamageError "Unable to write to <path>" when it cannot be written, and for a
    // value holding a line break, which the file cannot keep.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) const;

    // Sets and removes several keys of one section in one replacement of the file, failing as
    // writeString does.
    void writeEntries(const std::string& section, const std::vector<SettingsEntry>& entries) const;

    // Removes the key if it is there; reports nothing.
    void deleteKey(const std::string& section, const std::string& key) const;

    static bool writeAllBytes(std::FILE* file, std::string_view bytes);

private:
    // Replaces the file by `text` through a temporary file in its folder; false on failure.
    bool replaceFile(const std::string& text) const;

    std::string path_;
    WriteBytes writeBytes_;
};

} // namespace dm
