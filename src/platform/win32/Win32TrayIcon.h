#pragma once

// The tray icon on Windows: JUCE's icon in the taskbar's notification area.
//
// Threads: message thread only.

#include "platform/TrayIcon.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace arx::platform::desktop
{

class Win32TrayIcon : public TrayIcon, private juce::SystemTrayIconComponent
{
public:
    Win32TrayIcon (const juce::Image& image, const juce::String& tooltip, Client& client);

    void mouseDown (const juce::MouseEvent&) override;

private:
    Client& client;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32TrayIcon)
};

} // namespace arx::platform::desktop
