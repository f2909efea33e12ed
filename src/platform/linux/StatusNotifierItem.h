#pragma once

// The tray icon as a StatusNotifierItem on the session bus: what KDE Plasma, GNOME with the
// AppIndicator extension, XFCE and most Wayland panels show. It registers with the desktop's
// StatusNotifierWatcher, offers the icon as pixmaps, the tooltip and activation (a left
// click), and the menu over com.canonical.dbusmenu, built afresh from the client's
// juce::PopupMenu each time a host asks for it. It follows the watcher: shown() tells whether
// a watcher has the item now, and onShownChanged fires when that changes.
//
// Threads: message thread only (SessionBus).

#include "platform/TrayIcon.h"
#include "platform/linux/SessionBus.h"

#include <vector>

namespace arx::platform::desktop
{

class StatusNotifierItem
{
public:
    StatusNotifierItem (SessionBus& bus, const juce::Image& image, const juce::String& tooltip, TrayIcon::Client& client);
    ~StatusNotifierItem();

    bool shown() const noexcept { return registered; }
    // Fires once the watcher has first answered (or is known to be missing), then on each change.
    std::function<void()> onShownChanged;

private:
    // One entry of the menu as the bus sees it: ids from 1, 0 being the root.
    struct MenuEntry
    {
        int parent = 0;
        int itemId = 0;
        juce::String label;
        bool separator = false, enabled = true, submenu = false;
    };

    static DBusHandlerResult itemMessage (DBusConnection*, DBusMessage*, void* self);
    static DBusHandlerResult menuMessage (DBusConnection*, DBusMessage*, void* self);
    DBusHandlerResult handleItem (DBusMessage*);
    DBusHandlerResult handleMenu (DBusMessage*);
    void registerWithWatcher();
    void watcherChanged (DBusMessage* signal);
    void setRegistered (bool now);
    void rebuildMenu();
    void addEntries (const juce::PopupMenu& menu, int parent);
    void appendEntryProperties (DBusMessageIter& dict, int id);
    void appendMenuEntry (DBusMessageIter& into, int id, int depth);
    void appendIcon (DBusMessageIter& into);
    bool appendItemValue (DBusMessageIter& into, const juce::String& name);
    void reply (DBusMessage* to, const std::function<void (DBusMessageIter&)>& fill);

    SessionBus& bus;
    juce::Image image;
    juce::String tooltip, serviceName;
    TrayIcon::Client& client;
    bool registered = false, answered = false;
    TrayIcon::Menu menu;
    std::vector<MenuEntry> entries;
    juce::uint32 revision = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE (StatusNotifierItem)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StatusNotifierItem)
};

} // namespace arx::platform::desktop
