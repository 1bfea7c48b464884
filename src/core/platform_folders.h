#pragma once

#include <filesystem>

// The folders the operating system gives the program. One implementation file per platform.
namespace dm {

// The folder of the running executable.
std::filesystem::path executableFolder();

// The folder that holds the user's per-program settings folders (~/.config on Linux).
std::filesystem::path userConfigFolder();

} // namespace dm
