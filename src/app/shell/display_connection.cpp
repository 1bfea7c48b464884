#include "shell/display_connection.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace shell {
namespace {

bool canConnectToX11(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

// A Wayland display is a socket, named absolutely or within XDG_RUNTIME_DIR.
bool canConnectToWayland(const std::string& display) {
    std::string path = display;
    if (!path.starts_with('/')) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        path = std::string(runtime ? runtime : "") + '/' + display;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

} // namespace

std::string unreachableDisplay(const startup::DisplayEnvironment& environment) {
    const std::string& platform = environment.qpaPlatform;
    const bool x11 =
        platform.starts_with("xcb") || (platform.empty() && !environment.display.empty());
    const bool wayland =
        platform.starts_with("wayland") || (platform.empty() && environment.display.empty());
    if (x11 && !canConnectToX11(environment.display))
        return environment.display;
    if (wayland && !environment.waylandDisplay.empty() &&
        !canConnectToWayland(environment.waylandDisplay))
        return environment.waylandDisplay;
    return {};
}

} // namespace shell
