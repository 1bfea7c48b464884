#include "core/platform_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace dm {

namespace {

// $HOME, or the password database's home folder when HOME is unset.
std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

} // namespace

std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : executable.parent_path();
}

// An XDG_CONFIG_HOME that is unset, empty or relative is ignored, as the XDG rules say.
std::filesystem::path userConfigFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/')
        return configHome;
    return homeFolder() / ".config";
}

} // namespace dm
