#pragma once

// The tray icon docked in an XEmbed system tray (the owner of the screen's _NET_SYSTEM_TRAY_Sn
// selection). A tray sizes an icon from what its window says when the dock request arrives, so
// the window has the tray's icon size (22 px where the tray does not say) and its size hints
// before the request goes. JUCE's own window cannot be that window: JUCE rewrites its size
// hints and moves it when it first paints, after the request. So the docked window is one of
// our own, and the component's JUCE window lives inside it at its size. When a tray takes the
// selection (a tray restarted, or one came later) the icon docks again; when the tray goes,
// the icon leaves the screen with it.
//
// Threads: message thread only. A second X connection of its own holds the docked window and
// watches the root window for the tray's announcement and the tray's window for its end; the
// event loop reads it on the message thread (LinuxEventLoop::registerFdCallback).

#include "platform/TrayIcon.h"

namespace arx::platform::desktop
{

class XEmbedTrayIcon : public juce::Component
{
public:
    static constexpr int defaultIconSize = 22;

    XEmbedTrayIcon (const juce::Image& image, TrayIcon::Client& client);
    ~XEmbedTrayIcon() override;

    // Where `image` is drawn in `area`: at the largest whole multiple of its size that fits,
    // centred, so that its pixels stay sharp; scaled down to fit when it is larger.
    static juce::Rectangle<int> imageArea (juce::Rectangle<int> area, const juce::Image& image);

    void paint (juce::Graphics&) override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    void dock();
    void undock();
    void readTrayEvents();
    // The tray's window, watched for its end; 0 when there is no tray.
    unsigned long findTray();
    int iconSizeOf (unsigned long trayWindow);

    juce::Image image;
    TrayIcon::Client& client;
    void* watch = nullptr; // Display*, kept opaque so that Xlib's macros stay in the .cpp
    unsigned long root = 0, selection = 0, manager = 0, tray = 0;
    unsigned long docked = 0; // our window, which the tray embeds

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (XEmbedTrayIcon)
};

} // namespace arx::platform::desktop
