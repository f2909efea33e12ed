#pragma once

// The tray icon on Linux: an icon docked in an XEmbed system tray.
//
// Threads: message thread only.

#include "platform/TrayIcon.h"
#include "platform/linux/XEmbedTrayIcon.h"

namespace arx::platform::desktop
{

class LinuxTrayIcon : public TrayIcon
{
public:
    LinuxTrayIcon (const juce::Image& image, const juce::String& tooltip, Client& client);

private:
    XEmbedTrayIcon docked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LinuxTrayIcon)
};

} // namespace arx::platform::desktop
