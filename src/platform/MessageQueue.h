#pragma once

// The queue behind a message-only window: messages in the order they were posted, a posted
// WM_CLOSE ending the window, nothing accepted after that. Any thread may post; one thread
// takes.

#include "platform/Win32Defs.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace arx::platform
{

class MessageQueue
{
public:
    // PostMessageA. False (the message is dropped) once the window has been closed.
    bool post (uint32_t message, uintptr_t wParam, intptr_t lParam);

    // A WM_DEVICECHANGE broadcast for the interface at `path`.
    bool postDeviceChange (uint32_t event, const juce::String& path);

    // DBT_DEVICEQUERYREMOVE then DBT_DEVICEREMOVECOMPLETE, with nothing posted between them.
    bool postDeviceRemoval (const juce::String& path);

    // GetMessageA: waits for the next message; false once WM_CLOSE has been taken.
    bool take (Win32Message& message);

    // For owners that wait on something else too: `empty` leaves `message` alone.
    enum class Taken { message, empty, closed };
    Taken tryTake (Win32Message& message);

private:
    static Win32Message deviceChange (uint32_t event, const juce::String& path);
    template <typename... Messages>
    bool pushAll (Messages&&... messages);
    Taken popLocked (Win32Message& message);

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Win32Message> queue;
    bool closed = false;
};

} // namespace arx::platform
