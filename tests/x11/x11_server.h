// A real X server for the X11 suites: Xvfb on a display it chooses itself.
#pragma once

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace x11test {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

inline bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        if (access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

class XServer {
public:
    // Starts Xvfb on a display it chooses itself; false when it did not come up.
    bool start() {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return false;
        pid_ = fork();
        if (pid_ == 0) {
            close(pipeEnds[0]);
            const std::string fd = std::to_string(pipeEnds[1]);
            const std::string screen =
                std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        std::string number;
        pollfd ready{pipeEnds[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 10000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeEnds[0]);
        display_ = number.empty() ? std::string() : ":" + number;
        return !display_.empty();
    }

    void stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace x11test
