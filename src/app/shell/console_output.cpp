#include "shell/console_output.h"

#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace shell {

#ifdef _WIN32
namespace {

bool goesSomewhere(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// The console of the process that started this one, or none.
HANDLE parentConsole() {
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return INVALID_HANDLE_VALUE;
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

} // namespace
#endif

bool printForUser(std::string_view text, bool asError) {
    std::ostream& stream = asError ? std::cerr : std::cout;
#ifdef _WIN32
    if (!goesSomewhere(asError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE)) {
        const HANDLE console = parentConsole();
        if (console == INVALID_HANDLE_VALUE)
            return true; // started without a console: nobody could read it
        std::string lines;
        for (const char c : text)
            lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
        DWORD written = 0;
        return WriteFile(console, lines.data(), static_cast<DWORD>(lines.size()), &written,
                         nullptr) &&
               written == lines.size();
    }
#endif
    stream << text;
    return static_cast<bool>(stream.flush());
}

} // namespace shell
