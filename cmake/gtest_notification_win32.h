// GoogleTest's start signal for the threads it creates, on the system's own event object: the
// win32 thread model of the cross compilers has no std::mutex for GoogleTest's portable one.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : event(CreateEventA(NULL, TRUE, FALSE, NULL)) {}
    ~Notification() { CloseHandle(event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }

  private:
    HANDLE event;
};

} // namespace internal
} // namespace testing
