#pragma once

#include "core/settings_store.h"

#include <optional>
#include <string>
#include <vector>

namespace dm {

constexpr int kMostRecentFiles = 8;
constexpr const char* kRecentFilesSection = "Recent Files";

// The files opened last, newest first: full UTF-8 paths, each at most once as the system compares
// file names (on Windows two spellings that differ only in case or slashes are one file).
using RecentFiles = std::vector<std::string>;

// "File1" for the newest, up to "File8".
std::vector<std::string> recentFileKeys();

// The list from the values of those keys as the settings file keeps them, nothing where a key is
// missing; missing keys, empty values and repeats are left out.
RecentFiles readRecentFiles(const std::vector<std::optional<std::string>>& values);

// `name` first, its older entry gone, the oldest dropped past eight. A name the settings file
// cannot keep (empty, or holding a line break) leaves the list as it was.
RecentFiles withRecentFile(RecentFiles files, const std::string& name);
RecentFiles withoutRecentFile(RecentFiles files, const std::string& name);

// Every key of the section for `files`: File1 to FileN set, the keys after them removed.
std::vector<SettingsEntry> recentFileEntries(const RecentFiles& files);

} // namespace dm
