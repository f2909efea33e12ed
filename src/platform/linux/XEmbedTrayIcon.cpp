// Kept apart: this file sees the X11 headers, whose macros clash with ordinary code.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "platform/linux/XEmbedTrayIcon.h"
#include "platform/linux/X11EventWake.h"

namespace arx::platform::desktop
{
namespace
{
constexpr long requestDock = 0; // SYSTEM_TRAY_REQUEST_DOCK
constexpr long xembedMapped = 1; // XEMBED_MAPPED: the tray maps the icon once it has it

::Display* asDisplay (void* d)
{
    return static_cast<::Display*> (d);
}

::Display* juceDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}
} // namespace

XEmbedTrayIcon::XEmbedTrayIcon (const juce::Image& iconImage, TrayIcon::Client& c) : image (iconImage), client (c)
{
    setName ("tray icon");
    setOpaque (true);
    if (juceDisplay() == nullptr)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = x11->xOpenDisplay (nullptr);
    if (d == nullptr)
        return;
    watch = d;
    root = x11->xDefaultRootWindow (d);
    const auto screen = x11->xScreenNumberOfScreen (x11->xDefaultScreenOfDisplay (d));
    selection = x11->xInternAtom (d, ("_NET_SYSTEM_TRAY_S" + juce::String (screen)).toRawUTF8(), False);
    manager = x11->xInternAtom (d, "MANAGER", False);
    // A tray that takes the selection tells the root window (MANAGER, with StructureNotifyMask).
    x11->xSelectInput (d, (::Window) root, StructureNotifyMask);
    juce::LinuxEventLoop::registerFdCallback (x11->xConnectionNumber (d), [this] (int) { readTrayEvents(); });

    dock();
    readTrayEvents(); // what arrived while docking is already off the socket
}

XEmbedTrayIcon::~XEmbedTrayIcon()
{
    undock();
    if (auto* d = asDisplay (watch))
    {
        auto* x11 = juce::X11Symbols::getInstance();
        juce::LinuxEventLoop::unregisterFdCallback (x11->xConnectionNumber (d));
        x11->xCloseDisplay (d);
    }
}

unsigned long XEmbedTrayIcon::findTray()
{
    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = asDisplay (watch);
    // Held so that the tray cannot go between finding it and watching it.
    x11->xGrabServer (d);
    const auto owner = x11->xGetSelectionOwner (d, (Atom) selection);
    if (owner != None)
        x11->xSelectInput (d, owner, StructureNotifyMask);
    x11->xUngrabServer (d);
    x11->xSync (d, False);
    return owner;
}

// _NET_SYSTEM_TRAY_ICON_SIZE on the tray's window, where the tray says.
int XEmbedTrayIcon::iconSizeOf (unsigned long trayWindow)
{
    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = asDisplay (watch);
    const auto property = x11->xInternAtom (d, "_NET_SYSTEM_TRAY_ICON_SIZE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    int size = defaultIconSize;
    if (x11->xGetWindowProperty (d, (::Window) trayWindow, property, 0, 1, False, XA_CARDINAL, &type, &format,
                                 &count, &after, &data) == Success
        && type == XA_CARDINAL && format == 32 && count == 1 && data != nullptr)
    {
        const auto said = (int) *reinterpret_cast<long*> (data);
        if (said >= 8 && said <= 512)
            size = said;
    }
    if (data != nullptr)
        x11->xFree (data);
    return size;
}

void XEmbedTrayIcon::dock()
{
    undock();
    tray = findTray();
    if (tray == 0)
        return;

    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = asDisplay (watch);
    const auto size = iconSizeOf (tray);
    XSetWindowAttributes attributes {};
    attributes.background_pixel = BlackPixel (d, x11->xDefaultScreen (d));
    attributes.event_mask = StructureNotifyMask;
    const auto window = x11->xCreateWindow (d, (::Window) root, 0, 0, (unsigned int) size, (unsigned int) size, 0,
                                            CopyFromParent, InputOutput, nullptr, CWBackPixel | CWEventMask, &attributes);
    docked = window;

    if (auto* hints = x11->xAllocSizeHints())
    {
        hints->flags = PMinSize | PBaseSize;
        hints->min_width = hints->base_width = size;
        hints->min_height = hints->base_height = size;
        x11->xSetWMNormalHints (d, window, hints);
        x11->xFree (hints);
    }
    long info[] = { 0, xembedMapped }; // XEmbed version 0
    const auto xembedInfo = x11->xInternAtom (d, "_XEMBED_INFO", False);
    x11->xChangeProperty (d, window, xembedInfo, xembedInfo, 32, PropModeReplace, reinterpret_cast<unsigned char*> (info), 2);
    x11->xSync (d, False);

    setBounds (0, 0, size, size);
    addToDesktop (0, reinterpret_cast<void*> (window));
    setVisible (true);
    if (auto* display = juceDisplay())
    {
        {
            const juce::XWindowSystemUtilities::ScopedXLock xLock;
            x11->xSync (display, False);
        }
        if (auto* peer = getPeer())
            wakeForQueuedEvents (display, (unsigned long) peer->getNativeHandle());
    }

    XEvent request {};
    request.xclient.type = ClientMessage;
    request.xclient.window = (::Window) tray;
    request.xclient.message_type = x11->xInternAtom (d, "_NET_SYSTEM_TRAY_OPCODE", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = CurrentTime;
    request.xclient.data.l[1] = requestDock;
    request.xclient.data.l[2] = (long) window;
    x11->xSendEvent (d, (::Window) tray, False, NoEventMask, &request);
    x11->xSync (d, False);
}

void XEmbedTrayIcon::undock()
{
    // The tray drops an icon whose window is destroyed. JUCE's window goes first, as it is
    // inside ours.
    setVisible (false);
    if (isOnDesktop())
        removeFromDesktop();
    if (docked != 0)
    {
        auto* x11 = juce::X11Symbols::getInstance();
        if (auto* display = juceDisplay())
        {
            const juce::XWindowSystemUtilities::ScopedXLock xLock;
            x11->xSync (display, False);
        }
        x11->xDestroyWindow (asDisplay (watch), (::Window) docked);
        x11->xFlush (asDisplay (watch));
        docked = 0;
    }
}

void XEmbedTrayIcon::readTrayEvents()
{
    auto* x11 = juce::X11Symbols::getInstance();
    auto* d = asDisplay (watch);
    while (x11->xPending (d) > 0)
    {
        XEvent event {};
        x11->xNextEvent (d, &event);
        if (event.type == ClientMessage && event.xclient.message_type == (Atom) manager
            && (unsigned long) event.xclient.data.l[1] == selection)
        {
            dock();
        }
        else if (event.type == DestroyNotify && tray != 0 && event.xdestroywindow.window == (::Window) tray)
        {
            tray = 0;
            undock();
        }
        else if (event.type == DestroyNotify && docked != 0 && event.xdestroywindow.window == (::Window) docked)
        {
            docked = 0;
            undock();
        }
        else if (event.type == ConfigureNotify && docked != 0 && event.xconfigure.window == (::Window) docked)
        {
            // The tray sizes the icon: the image follows.
            setBounds (0, 0, event.xconfigure.width, event.xconfigure.height);
        }
    }
}

juce::Rectangle<int> XEmbedTrayIcon::imageArea (juce::Rectangle<int> area, const juce::Image& icon)
{
    if (! icon.isValid() || area.isEmpty())
        return {};
    const auto scale = juce::jmin (area.getWidth() / icon.getWidth(), area.getHeight() / icon.getHeight());
    if (scale >= 1)
        return area.withSizeKeepingCentre (icon.getWidth() * scale, icon.getHeight() * scale);
    const auto fitted = juce::RectanglePlacement (juce::RectanglePlacement::centred)
                            .appliedTo (icon.getBounds().toFloat(), area.toFloat());
    return fitted.getSmallestIntegerContainer().getIntersection (area);
}

void XEmbedTrayIcon::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    const auto target = imageArea (getLocalBounds(), image);
    // Whole multiples keep their pixels; only a smaller icon is smoothed.
    g.setImageResamplingQuality (target.getWidth() >= image.getWidth() ? juce::Graphics::lowResamplingQuality
                                                                       : juce::Graphics::highResamplingQuality);
    g.drawImage (image, target.toFloat());
}

void XEmbedTrayIcon::mouseDown (const juce::MouseEvent& e)
{
    // Both buttons down counts as a left click.
    if (e.mods.isLeftButtonDown())
    {
        client.trayIconActivated();
    }
    else if (e.mods.isRightButtonDown())
    {
        auto menu = client.trayIconMenu();
        juce::Component::SafePointer<XEmbedTrayIcon> alive (this);
        menu.items.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                                  [alive, choose = std::move (menu.choose)] (int choice) {
                                      if (alive != nullptr && choose)
                                          choose (choice);
                                  });
    }
}

} // namespace arx::platform::desktop
