#pragma once

// The application's own messages. Device arrival and removal travel as DeviceChangeMessage
// (device/DeviceChangeMessage.h); the tray's show and hide items use the same message.

#include "device/DeviceChangeMessage.h"

#include <juce_events/juce_events.h>

namespace arx
{

class ConsoleWindow;

namespace appmsg
{
constexpr uint32_t arrangeWindows = 0x61726E67; // 'arng'
constexpr uint32_t showDevice = DeviceChangeMessage::deviceArrived;
constexpr uint32_t hideDevice = DeviceChangeMessage::deviceRemoved;
constexpr uint32_t windowFinished = 0x64656C77; // 'delw'
constexpr uint32_t endSession = 0x656E6473;     // 'ends': the system's end-of-session message
} // namespace appmsg

// 'arng' and 'ends' (no window) and 'delw' (the window whose hardware thread has finished). The
// window is only compared with the open windows before it is used.
struct WindowMessage : public juce::Message
{
    WindowMessage (uint32_t messageId, ConsoleWindow* messageWindow) : id (messageId), window (messageWindow) {}

    const uint32_t id;
    ConsoleWindow* const window;
};

} // namespace arx
