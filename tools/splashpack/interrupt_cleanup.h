// Ctrl-C and SIGTERM during a write: the temporary file of the output being written is removed
// before the process ends as the signal would end it, so an interrupted build leaves nothing.
#pragma once

#include <string>

// While one lives, an interrupt removes the file at `path` (prepared here, so that the handler
// itself only unlinks) and then ends the process with the signal's default action. One at a
// time: the tool writes one temporary file at a time.
class InterruptCleanup {
  public:
    explicit InterruptCleanup(const std::string& path);
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

// True when an interrupt came that could not act at once (Windows, whose console handler runs
// on a thread of its own while the file is still open): the write stops, removes its temporary
// file and calls endInterrupted. Natively always false; the signal handler did everything.
bool interruptRequested();

// Ends the process as the interrupt would have.
[[noreturn]] void endInterrupted();
