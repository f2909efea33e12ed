#pragma once

// The program's icon in the desktop's tray. The client says what a left click does and which
// menu a right click opens; the backend decides how the desktop shows the icon: on Windows the
// notification area, on Linux a StatusNotifierItem on the session bus where a desktop watches
// for them, else an icon docked in an XEmbed system tray.
//
// Threads: message thread only, the client's calls included.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace arx::platform::desktop
{

class TrayIcon
{
public:
    // A menu as it stands when the user opens it, and what its choice does: the chosen item's
    // id, 0 when the menu closed without a choice. `choose` is never called once the icon has gone.
    struct Menu
    {
        juce::PopupMenu items;
        std::function<void (int)> choose;
    };

    class Client
    {
    public:
        virtual ~Client() = default;
        // A left click, or the desktop's "activate".
        virtual void trayIconActivated() = 0;
        // Asked each time the menu opens, so that it lists what is there now.
        virtual Menu trayIconMenu() = 0;
    };

    virtual ~TrayIcon() = default;

    // The icon for this desktop; it shows itself as soon as (and whenever) the desktop can take it.
    static std::unique_ptr<TrayIcon> create (const juce::Image& image, const juce::String& tooltip, Client& client);
};

} // namespace arx::platform::desktop
