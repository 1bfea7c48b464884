#pragma once

#include "core/platform/file_replacement.h"

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
    // `calls` are the system's; a test may watch them.
    explicit SettingsStore(std::string path,
                           platform::FileCalls& calls = platform::systemFileCalls())
        : path_(std::move(path)), calls_(&calls) {}

    // The stored value, or `fallback` when the file or the key is missing. A key present with an
    // empty value reads as the empty string; one pair of double quotes around a key or a value is
    // dropped.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // Several keys of one section from one read of the file, in their order; nothing for a key or
    // a file that is missing.
    std::vector<std::optional<std::string>> readValues(const std::string& section,
                                                       const std::vector<std::string>& keys) const;

    // Creates the file, the section and the key as needed. The file is replaced as a whole or not
    // at all, and left alone when it already holds that value. A key or value with blanks at its
    // ends, or one that would read as something else, is written in double quotes, so that every
    // name and value reads back as given. Raises DamageError "Unable to write to <path>" when the
    // file cannot be written, and for a name or value holding a line break, which it cannot keep.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) const;

    // Sets and removes several keys of one section in one replacement of the file, failing as
    // writeString does; a file that would come out as it is is not written at all.
    void writeEntries(const std::string& section, const std::vector<SettingsEntry>& entries) const;

    // Removes the key if it is there; reports nothing.
    void deleteKey(const std::string& section, const std::string& key) const;

private:
    // Replaces the file by `text`, whole or not at all; false on failure.
    bool replaceFile(const std::string& text) const;

    std::string path_;
    platform::FileCalls* calls_;
};

} // namespace dm
