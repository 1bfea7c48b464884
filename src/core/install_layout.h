#pragma once

#include <array>
#include <filesystem>
#include <string_view>

namespace dm {

constexpr std::string_view kSettingsFileName = "du2daminfo.INI";
constexpr std::array<std::string_view, 3> kShippedTextFileNames = {
    "DM Column Headers.txt", "DM Row Headers.txt", "DM File List.txt"};

// Where the program's own files are. A portable copy keeps everything beside its executable; an
// installed one reads its text files from <prefix>/share/du2damage and keeps the settings in the
// user's configuration folder, since <prefix>/bin is not the user's to write.
struct InstallLayout {
    bool portable = true;
    std::filesystem::path dataFolder;   // the shipped text files
    std::filesystem::path settingsFile; // du2daminfo.INI
};

InstallLayout portableLayout(const std::filesystem::path& executableFolder);
InstallLayout installedLayout(const std::filesystem::path& executableFolder,
                              const std::filesystem::path& userConfigFolder);
// Portable when the executable's folder holds the settings file or any shipped text file.
InstallLayout decideLayout(const std::filesystem::path& executableFolder,
                           const std::filesystem::path& userConfigFolder);

// The running program's layout, decided at the first call; every reader of these paths asks here.
const InstallLayout& installLayout();

// Creates the settings file's folder when it is missing. A failure is left to the write that
// follows, which names the file.
void createSettingsFolder(const std::filesystem::path& settingsFile);

// The folder of a module named `fileName`: beside the executable when it is there, otherwise the
// installed module folder <prefix>/lib/du2damage.
std::filesystem::path moduleFolder(const std::filesystem::path& executableFolder,
                                   std::string_view fileName);

} // namespace dm
