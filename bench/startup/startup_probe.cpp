// Starts a command under the current X display, waits for its first mapped top-level window and
// prints the time from the start of the process to that moment (ms), the process's peak resident
// memory then (KiB) and the processor time it had used (ms, user and system). startup.sh uses it to
// compare start-up costs; on a busy machine the processor time varies less than the elapsed time.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

static double nowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

static double milliseconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

static long peakResidentKiB(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    FILE* status = fopen(path, "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, status))
        if (sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    fclose(status);
    return kib;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: startup_probe COMMAND [ARG...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "startup_probe: cannot open the X display\n");
        return 2;
    }
    // Top-level maps show up as MapNotify on the root window.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    const int connection = ConnectionNumber(display);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect) {
                const double elapsed = nowMs() - start;
                const long peak = peakResidentKiB(child);
                kill(child, SIGKILL);
                rusage usage{};
                wait4(child, &status, 0, &usage);
                printf("%.2f %ld %.2f\n", elapsed, peak,
                       milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime));
                return 0;
            }
        }
        if (waitpid(child, &status, WNOHANG) == child) {
            fprintf(stderr, "startup_probe: %s ended without mapping a window\n", argv[1]);
            return 1;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection, &readable);
        timeval wait{0, 1000};
        select(connection + 1, &readable, nullptr, nullptr, &wait);
    }
}
