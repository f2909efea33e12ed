#include "e2e/harness/TrayHost.h"

#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

namespace arx::e2e
{
namespace
{
Display* asDisplay (void* d)
{
    return static_cast<Display*> (d);
}

constexpr long requestDock = 0; // SYSTEM_TRAY_REQUEST_DOCK
} // namespace

TrayHost::TrayHost (const std::string& displayName)
{
    display = XOpenDisplay (displayName.c_str());
    if (display == nullptr)
        return;
    auto* d = asDisplay (display);
    const int screen = DefaultScreen (d);

    // A strip at the bottom left, clear of where the console windows cascade.
    stripX = 0;
    stripY = DisplayHeight (d, screen) - 2 * iconSize;
    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel (d, screen);
    strip = XCreateWindow (d, RootWindow (d, screen), stripX, stripY, 8 * iconSize, iconSize, 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow (d, strip);

    opcode = XInternAtom (d, "_NET_SYSTEM_TRAY_OPCODE", False);
    const auto selection = XInternAtom (d, ("_NET_SYSTEM_TRAY_S" + std::to_string (screen)).c_str(), False);
    XSetSelectionOwner (d, selection, strip, CurrentTime);
    XSync (d, False);
    serving = XGetSelectionOwner (d, selection) == strip;

    // Tell clients already running that a tray is there, as a tray manager does.
    XEvent manager {};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = RootWindow (d, screen);
    manager.xclient.message_type = XInternAtom (d, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = (long) selection;
    manager.xclient.data.l[2] = (long) strip;
    XSendEvent (d, RootWindow (d, screen), False, StructureNotifyMask, &manager);
    XFlush (d);

    if (serving)
        thread = std::thread ([this] { serve(); });
}

TrayHost::~TrayHost()
{
    stop = true;
    if (thread.joinable())
        thread.join();
    if (display != nullptr)
    {
        // Icons must not go down with the strip: hand them back to the root first.
        auto* d = asDisplay (display);
        for (auto icon : icons)
            XReparentWindow (d, icon, DefaultRootWindow (d), 0, 0);
        XDestroyWindow (d, strip);
        XCloseDisplay (d);
    }
}

void TrayHost::serve()
{
    auto* d = asDisplay (display);
    pollfd fd { ConnectionNumber (d), POLLIN, 0 };
    while (! stop)
    {
        if (XPending (d) == 0)
        {
            ::poll (&fd, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent (d, &event);
        if (event.type == ClientMessage && event.xclient.message_type == opcode
            && event.xclient.data.l[1] == requestDock)
            dock ((unsigned long) event.xclient.data.l[2]);
        // An icon sizes its window after docking, from a component that has no size yet: a
        // tray keeps its icons at the tray's size.
        else if (event.type == ConfigureNotify && iconIndex (event.xconfigure.window) >= 0
                 && (event.xconfigure.width != iconSize || event.xconfigure.height != iconSize))
            XResizeWindow (d, event.xconfigure.window, iconSize, iconSize);
    }
}

void TrayHost::dock (unsigned long icon)
{
    auto* d = asDisplay (display);
    int slot = 0;
    {
        const std::lock_guard<std::mutex> guard (lock);
        slot = (int) icons.size();
        icons.push_back (icon);
    }
    XSelectInput (d, icon, StructureNotifyMask);
    XReparentWindow (d, icon, strip, slot * iconSize, 0);
    XResizeWindow (d, icon, iconSize, iconSize);
    XMapRaised (d, icon);
    XSync (d, False);
}

int TrayHost::iconIndex (unsigned long window)
{
    const std::lock_guard<std::mutex> guard (lock);
    for (size_t i = 0; i < icons.size(); ++i)
        if (icons[i] == window)
            return (int) i;
    return -1;
}

int TrayHost::iconCount()
{
    const std::lock_guard<std::mutex> guard (lock);
    return (int) icons.size();
}

unsigned long TrayHost::iconWindow (int index)
{
    const std::lock_guard<std::mutex> guard (lock);
    return index >= 0 && index < (int) icons.size() ? icons[(size_t) index] : 0;
}

bool TrayHost::iconCentre (int index, int& x, int& y)
{
    if (index < 0 || index >= iconCount())
        return false;
    x = stripX + index * iconSize + iconSize / 2;
    y = stripY + iconSize / 2;
    return true;
}

} // namespace arx::e2e
