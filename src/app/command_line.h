#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the editor's command line asks for, and on which display it can run. Both are decided
// before Qt starts, since Qt needs a display and --help must not.
namespace startup {

extern const std::string_view kHelp;

struct CommandLine {
    bool help = false;
    bool version = false;
    // The user chose Qt's platform with -platform.
    bool platformOption = false;
    std::vector<std::string> files;
    // Options that are not ours; Qt takes its own out of the command line as it starts.
    std::vector<std::string> unknownOptions;

    // Why the command line cannot run, or empty.
    std::string problem() const;
};

// `args` without the program name. "--" ends the options; "-h", "--help" and "--version" count
// only before it.
CommandLine parseCommandLine(const std::vector<std::string>& args);

struct DisplayEnvironment {
    std::string qpaPlatform;    // QT_QPA_PLATFORM
    std::string display;        // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string sessionType;    // XDG_SESSION_TYPE
};
DisplayEnvironment displayEnvironment();

enum class DisplayChoice {
    AsIs,      // Qt's own choice, or the user's
    XWayland,  // a Wayland session with XWayland: windows can be placed only through X11
    NoDisplay, // nothing to show windows on
};
DisplayChoice chooseDisplay(const DisplayEnvironment& environment, bool platformOption);

} // namespace startup
