#pragma once

#include "core/settings_store.h"

#include <functional>
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
std::string recentFileKey(int index);

// The list as the settings file keeps it, `read` giving a key's value or nothing; missing keys,
// empty values and repeats are left out.
RecentFiles
readRecentFiles(const std::function<std::optional<std::string>(const std::string&)>& read);

// `name` first, its older entry gone, the oldest dropped past eight. A name the settings file
// cannot keep (empty, or holding a line break) leaves the list as it was.
RecentFiles withRecentFile(RecentFiles files, const std::string& name);
RecentFiles withoutRecentFile(RecentFiles files, const std::string& name);

// Every key of the section for `files`: File1 to FileN set, the keys after them removed.
std::vector<SettingsEntry> recentFileEntries(const RecentFiles& files);

} // namespace dm
