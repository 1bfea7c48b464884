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

std::string recentFileKey(int index) {
    return "File" + std::to_string(index + 1);
}

RecentFiles
readRecentFiles(const std::function<std::optional<std::string>(const std::string&)>& read) {
    RecentFiles files;
    for (int index = 0; index < kMostRecentFiles; ++index) {
        const std::optional<std::string> name = read(recentFileKey(index));
        if (name && keepable(*name) && !listed(files, *name))
            files.push_back(*name);
    }
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
    for (int index = 0; index < kMostRecentFiles; ++index) {
        const bool kept = std::size_t(index) < files.size() && keepable(files[index]);
        entries.push_back(
            {recentFileKey(index), kept ? std::optional(files[index]) : std::nullopt});
    }
    return entries;
}

} // namespace dm
