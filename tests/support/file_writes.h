#pragma once

// Linux only: counts how often one file is written, in place or renamed over, as the kernel
// reports it.

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace testsupport {

class FileWrites {
public:
    FileWrites(const std::string& folder, std::string name)
        : name_(std::move(name)), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;
    ~FileWrites() { ::close(fd_); }

    // Writes of the file since the counter was made.
    int count() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name_ == event->name)
                    ++count_;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        return count_;
    }

private:
    std::string name_;
    int fd_;
    int count_ = 0;
};

} // namespace testsupport
