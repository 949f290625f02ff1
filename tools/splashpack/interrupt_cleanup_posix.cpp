// Native: a signal handler that unlinks the prepared path and raises the signal again with its
// default action; nothing else in it, since only async-signal-safe calls may run there.
#include "interrupt_cleanup.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int handledSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The path of the temporary file, NUL-terminated; empty while none is being written.
char pendingPath[4096];
volatile std::sig_atomic_t armed = 0;
struct sigaction previous[sizeof handledSignals / sizeof handledSignals[0]];

extern "C" void removeAndReraise(int signal) {
    if (armed)
        unlink(pendingPath);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

} // namespace

InterruptCleanup::InterruptCleanup(const std::string& path) {
    // A path too long for the buffer is left to the normal clean-up only.
    if (path.size() >= sizeof pendingPath)
        return;
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    struct sigaction action {};
    action.sa_handler = removeAndReraise;
    sigemptyset(&action.sa_mask);
    for (int signal : handledSignals)
        sigaddset(&action.sa_mask, signal);
    for (std::size_t i = 0; i < sizeof handledSignals / sizeof handledSignals[0]; ++i)
        sigaction(handledSignals[i], &action, &previous[i]);
    armed = 1;
}

InterruptCleanup::~InterruptCleanup() {
    if (!armed)
        return;
    armed = 0;
    for (std::size_t i = 0; i < sizeof handledSignals / sizeof handledSignals[0]; ++i)
        sigaction(handledSignals[i], &previous[i], nullptr);
}

bool interruptRequested() {
    return false;
}

void endInterrupted() {
    raise(SIGINT);
    _exit(130);
}
