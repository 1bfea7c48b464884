#include "core/install_layout.h"

#include "core/platform_folders.h"

#include <algorithm>

namespace dm {

namespace {

bool isPresent(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// The installed folders relative to the installed executable's folder, set by the build from
// the install directories, so that a staged or relocated tree finds its own files.
std::filesystem::path installedFolder(const std::filesystem::path& executableFolder,
                                      const char* fromExecutable) {
    return (executableFolder / fromExecutable).lexically_normal();
}

} // namespace

InstallLayout portableLayout(const std::filesystem::path& executableFolder) {
    return {true, executableFolder, executableFolder / kSettingsFileName};
}

InstallLayout installedLayout(const std::filesystem::path& executableFolder,
                              const std::filesystem::path& userConfigFolder) {
    return {false, installedFolder(executableFolder, DM_DATA_FROM_BIN),
            userConfigFolder / "du2damage" / kSettingsFileName};
}

InstallLayout decideLayout(const std::filesystem::path& executableFolder,
                           const std::filesystem::path& userConfigFolder) {
    const bool portable =
        isPresent(executableFolder / kSettingsFileName) ||
        std::any_of(kShippedTextFileNames.begin(), kShippedTextFileNames.end(),
                    [&](std::string_view name) { return isPresent(executableFolder / name); });
    return portable ? portableLayout(executableFolder)
                    : installedLayout(executableFolder, userConfigFolder);
}

const InstallLayout& installLayout() {
    static const InstallLayout layout = decideLayout(executableFolder(), userConfigFolder());
    return layout;
}

void createSettingsFolder(const std::filesystem::path& settingsFile) {
    std::error_code ignored;
    std::filesystem::create_directories(settingsFile.parent_path(), ignored);
}

std::filesystem::path moduleFolder(const std::filesystem::path& executableFolder,
                                   std::string_view fileName) {
    if (isPresent(executableFolder / fileName))
        return executableFolder;
    return installedFolder(executableFolder, DM_MODULES_FROM_BIN);
}

} // namespace dm
