#include "core/platform_folders.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace dm {

std::filesystem::path executableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) {
            std::error_code error;
            return std::filesystem::current_path(error);
        }
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

// The user's roaming application data folder (%APPDATA%).
std::filesystem::path userConfigFolder() {
    const wchar_t* appData = ::_wgetenv(L"APPDATA");
    return appData != nullptr ? std::filesystem::path(appData) : std::filesystem::path();
}

} // namespace dm
