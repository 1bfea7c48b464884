#pragma once

#include <string>

namespace dm {

// One INI file, opened and closed by every operation. Section and key names match without regard
// to letter case; values are written as "key=value"; everything else in the file is kept, lines
// that are neither sections nor keys included.
class SettingsStore {
public:
    explicit SettingsStore(std::string path) : path_(std::move(path)) {}

    // The stored value, or `fallback` when the file or the key is missing. A key present with an
    // empty value reads as the empty string; one pair of double quotes around a value is dropped.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;

    // Creates the file, the section and the key as needed. Raises DamageError
    // "Unable to write to <path>" when the file cannot be written.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) const;

    // Removes the key if it is there; reports nothing.
    void deleteKey(const std::string& section, const std::string& key) const;

private:
    std::string path_;
};

} // namespace dm
