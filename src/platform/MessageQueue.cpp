#include "platform/MessageQueue.h"

namespace arx::platform
{

template <typename... Messages>
bool MessageQueue::pushAll (Messages&&... messages)
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        if (closed)
            return false;
        (queue.push_back (std::forward<Messages> (messages)), ...);
    }
    changed.notify_all();
    return true;
}

bool MessageQueue::post (uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    Win32Message m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return pushAll (std::move (m));
}

Win32Message MessageQueue::deviceChange (uint32_t event, const juce::String& path)
{
    Win32Message m;
    m.message = WM_DEVICECHANGE;
    m.wParam = event;
    m.broadcast = std::make_shared<DevBroadcastDeviceInterface>();
    m.broadcast->name = path;
    m.lParam = (intptr_t) m.broadcast.get();
    return m;
}

bool MessageQueue::postDeviceChange (uint32_t event, const juce::String& path)
{
    return pushAll (deviceChange (event, path));
}

bool MessageQueue::postDeviceRemoval (const juce::String& path)
{
    return pushAll (deviceChange (DBT_DEVICEQUERYREMOVE, path), deviceChange (DBT_DEVICEREMOVECOMPLETE, path));
}

bool MessageQueue::take (Win32Message& message)
{
    std::unique_lock<std::mutex> guard (lock);
    changed.wait (guard, [this] { return closed || ! queue.empty(); });
    return popLocked (message) == Taken::message;
}

MessageQueue::Taken MessageQueue::tryTake (Win32Message& message)
{
    const std::lock_guard<std::mutex> guard (lock);
    return popLocked (message);
}

MessageQueue::Taken MessageQueue::popLocked (Win32Message& message)
{
    if (closed)
        return Taken::closed;
    if (queue.empty())
        return Taken::empty;
    message = std::move (queue.front());
    queue.pop_front();
    if (message.message == WM_CLOSE)
    {
        closed = true;
        queue.clear(); // what came after the close is never delivered
        return Taken::closed;
    }
    return Taken::message;
}

} // namespace arx::platform
