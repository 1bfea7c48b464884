#pragma once

// A virtual X server started by the tests themselves, a window manager on it when asked, and the
// fixture whose suites run their Qt application on that server.

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>
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

// A window manager on the test's display, for as long as the object lives.
class WindowManager {
public:
    explicit WindowManager(const std::string& display) {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            execlp("openbox", "openbox", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~WindowManager() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

private:
    pid_t pid_ = -1;
};

// One X server and one Qt application for each suite of tests.
class X11Session : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!onPath("Xvfb"))
            return;
        server_ = std::make_unique<XServer>();
        if (!server_->start())
            return;
        qputenv("DISPLAY", QByteArray::fromStdString(server_->display()));
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "x11_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }

    static void TearDownTestSuite() {
        app_.reset();
        if (server_)
            server_->stop();
        server_.reset();
    }

    void SetUp() override {
        if (!onPath("Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(app_) << "Xvfb did not start";
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    static inline std::unique_ptr<XServer> server_;
    static inline std::unique_ptr<QApplication> app_;
};

} // namespace x11test
