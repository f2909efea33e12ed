#pragma once

// The tray icon on Linux: a StatusNotifierItem while the desktop's StatusNotifierWatcher has it,
// else an icon docked in an XEmbed system tray; never both. A watcher that goes away hands the
// icon to the XEmbed tray, one that comes takes it back.
//
// Threads: message thread only.

#include "platform/TrayIcon.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/StatusNotifierItem.h"
#include "platform/linux/XEmbedTrayIcon.h"

namespace arx::platform::desktop
{

class LinuxTrayIcon : public TrayIcon
{
public:
    LinuxTrayIcon (const juce::Image& image, const juce::String& tooltip, Client& client);
    ~LinuxTrayIcon() override;

private:
    void follow();

    juce::Image image;
    Client& client;
    SessionBus bus;
    std::unique_ptr<StatusNotifierItem> item;
    std::unique_ptr<XEmbedTrayIcon> docked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LinuxTrayIcon)
};

} // namespace arx::platform::desktop
