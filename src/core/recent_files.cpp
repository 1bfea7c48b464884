#include "core/recent_files.h"

#include "core/platform/system.h"

#include <algorithm>

namespace dm {

namespace {

bool keepable(const std::string& name) {
    return !name.empty() && name.find_first_of("\r\n") == std::string::npos;
}

bool listed(const RecentFiles& files, const std::string& name) {
    return std::any_of(files.begin(), files.end(),
                       [&](const std::string& file) { return platform::sameFileName(file, name); });
}

} // namespace

std::vector<std::string> recentFileKeys() {
    std::vector<std::string> keys;
    for (int index = 0; index < kMostRecentFiles; ++index)
        keys.push_back("File" + std::to_string(index + 1));
    return keys;
}

RecentFiles readRecentFiles(const std::vector<std::optional<std::string>>& values) {
    RecentFiles files;
    for (const std::optional<std::string>& name : values)
        if (name && keepable(*name) && !listed(files, *name))
            files.push_back(*name);
    return files;
}

RecentFiles withRecentFile(RecentFiles files, const std::string& name) {
    if (!keepable(name))
        return files;
    files = withoutRecentFile(std::move(files), name);
    files.insert(files.begin(), name);
    if (files.size() > std::size_t{kMostRecentFiles})
        files.resize(kMostRecentFiles);
    return files;
}

RecentFiles withoutRecentFile(RecentFiles files, const std::string& name) {
    std::erase_if(files,
                  [&](const std::string& file) { return platform::sameFileName(file, name); });
    return files;
}

std::vector<SettingsEntry> recentFileEntries(const RecentFiles& files) {
    std::vector<SettingsEntry> entries;
    const std::vector<std::string> keys = recentFileKeys();
    for (std::size_t index = 0; index < keys.size(); ++index) {
        const bool kept = index < files.size() && keepable(files[index]);
        entries.push_back({keys[index], kept ? std::optional(files[index]) : std::nullopt});
    }
    return entries;
}

} // namespace dm
