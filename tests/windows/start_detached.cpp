// Starts the program named on its command line, with that program's arguments, the way a command
// prompt starts a window program: with no console and no standard handles of its own, so that
// whatever it prints reaches the prompt's console only if it attaches to it. Exits with the
// program's exit status, or 99 when the program could not be started.
#include <windows.h>

int main() {
    wchar_t* line = GetCommandLineW();
    // Our own name, quoted or not, and the blanks after it.
    if (*line == L'"') {
        for (++line; *line != L'\0' && *line != L'"'; ++line) {
        }
        if (*line == L'"')
            ++line;
    } else {
        while (*line != L'\0' && *line != L' ')
            ++line;
    }
    while (*line == L' ')
        ++line;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return 99;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 99;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
