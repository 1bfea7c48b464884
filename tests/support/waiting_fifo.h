#pragma once

// Linux only: a named pipe that a reader cannot hang on. Should the code under test open it and
// wait for a writer, a writer comes along and goes at once, so that the reader sees the end of an
// empty pipe and the test fails instead of hanging.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace testsupport {

class WaitingFifo {
public:
    explicit WaitingFifo(std::string path) : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
        writer_ = std::thread([this] {
            while (!done_) {
                // Succeeds only while a reader has the pipe open.
                if (const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    WaitingFifo(const WaitingFifo&) = delete;
    WaitingFifo& operator=(const WaitingFifo&) = delete;
    ~WaitingFifo() {
        done_ = true;
        writer_.join();
    }

    bool made() const { return made_; }

private:
    std::string path_;
    bool made_ = false;
    std::atomic<bool> done_{false};
    std::thread writer_;
};

} // namespace testsupport
