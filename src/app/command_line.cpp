#include "command_line.h"

#include <cstdlib>

namespace startup {

const std::string_view kHelp =
    "Usage: du2damage [FILE]\n"
    "\n"
    "Edits the aircraft damage files (??damage.dat) of the Quellor flight games. FILE, when\n"
    "given, is opened as soon as the editor is shown, after the start window's button.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "\n"
    "Open clears a file's read-only attribute, so that Save can write it.\n"
#ifndef _WIN32
    "(Here that is the owner's write permission.)\n"
#endif
    "Files on read-only media or owned by others stay as they are: they open read-only.\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are taken too. The settings file du2daminfo.INI\n"
    "and the text files lie beside the executable when that folder holds any of them; otherwise\n"
#ifdef _WIN32
    "the settings file is %APPDATA%\\du2damage\\du2daminfo.INI.\n";
#else
    "the settings file is $XDG_CONFIG_HOME/du2damage/du2daminfo.INI (~/.config when unset).\n";
#endif

std::string CommandLine::problem() const {
    if (!unknownOptions.empty())
        return "unknown option '" + unknownOptions.front() + "'";
    if (files.size() > 1)
        return "takes one file, " + std::to_string(files.size()) + " given";
    return {};
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            line.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else {
            line.platformOption |= arg == "-platform" || arg == "--platform";
            line.unknownOptions.push_back(arg);
        }
    }
    return line;
}

DisplayEnvironment displayEnvironment() {
    const auto value = [](const char* name) {
        const char* text = std::getenv(name);
        return std::string(text ? text : "");
    };
    return {value("QT_QPA_PLATFORM"), value("DISPLAY"), value("WAYLAND_DISPLAY"),
            value("XDG_SESSION_TYPE")};
}

DisplayChoice chooseDisplay(const DisplayEnvironment& environment, bool platformOption) {
    if (!environment.qpaPlatform.empty() || platformOption)
        return DisplayChoice::AsIs;
    if (environment.display.empty())
        return environment.waylandDisplay.empty() ? DisplayChoice::NoDisplay : DisplayChoice::AsIs;
    const bool wayland =
        !environment.waylandDisplay.empty() || environment.sessionType == "wayland";
    return wayland ? DisplayChoice::XWayland : DisplayChoice::AsIs;
}

} // namespace startup
