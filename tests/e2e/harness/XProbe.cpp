#include "e2e/harness/XProbe.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace arx::e2e
{
namespace
{
// Windows come and go under our feet (a console closing while we walk the tree): a BadWindow
// then only means "gone", never a reason to end the test binary.
int ignoreXErrors (Display*, XErrorEvent*)
{
    return 0;
}

Display* asDisplay (void* d)
{
    return static_cast<Display*> (d);
}
} // namespace

XProbe::XProbe (const std::string& displayName)
{
    XSetErrorHandler (ignoreXErrors);
    display = XOpenDisplay (displayName.c_str());
    if (display == nullptr)
        return;
    // JUCE only looks these atoms up, never creates them: on a server that has never seen a
    // window manager they do not exist, and its windows then ignore WM_DELETE_WINDOW. Create
    // them before any console starts, as a window manager's presence would.
    auto* d = asDisplay (display);
    for (const auto* atom : { "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_TAKE_FOCUS", "_NET_WM_PING", "WM_CHANGE_STATE",
                              "WM_STATE", "_NET_WM_STATE", "_NET_WM_WINDOW_TYPE" })
        XInternAtom (d, atom, False);
    XSync (d, False);
}

XProbe::~XProbe()
{
    if (display != nullptr)
        XCloseDisplay (asDisplay (display));
}

int XProbe::screenWidth() const
{
    return display != nullptr ? DisplayWidth (asDisplay (display), DefaultScreen (asDisplay (display))) : 0;
}

int XProbe::screenHeight() const
{
    return display != nullptr ? DisplayHeight (asDisplay (display), DefaultScreen (asDisplay (display))) : 0;
}

long XProbe::pixel (int x, int y)
{
    if (display == nullptr || x < 0 || y < 0 || x >= screenWidth() || y >= screenHeight())
        return -1;
    auto* d = asDisplay (display);
    auto* image = XGetImage (d, DefaultRootWindow (d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return -1;
    const auto value = (long) (XGetPixel (image, 0, 0) & 0xFFFFFFul);
    XDestroyImage (image);
    return value;
}

std::string XProbe::titleOf (unsigned long window)
{
    // JUCE stores the title in WM_NAME typed UTF8_STRING, which XFetchName does not return;
    // read the raw bytes of _NET_WM_NAME, else WM_NAME, whatever their type.
    auto* d = asDisplay (display);
    for (const auto* atomName : { "_NET_WM_NAME", "WM_NAME" })
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const Atom property = XInternAtom (d, atomName, False);
        if (XGetWindowProperty (d, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &count, &after, &data)
            != Success)
            continue;
        std::string title;
        if (data != nullptr)
        {
            if (format == 8)
                title.assign (reinterpret_cast<char*> (data), count);
            XFree (data);
        }
        if (! title.empty())
            return title;
    }
    return {};
}

bool XProbe::describe (unsigned long window, WindowInfo& info)
{
    auto* d = asDisplay (display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes (d, window, &attributes) == 0)
        return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates (d, window, DefaultRootWindow (d), 0, 0, &rootX, &rootY, &child);
    info.id = window;
    info.x = rootX;
    info.y = rootY;
    info.width = attributes.width;
    info.height = attributes.height;
    info.viewable = attributes.map_state == IsViewable;
    return true;
}

void XProbe::collect (unsigned long parent, const std::string& title, bool viewableOnly, std::vector<WindowInfo>& out, int depth)
{
    auto* d = asDisplay (display);
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree (d, parent, &root, &up, &children, &count) == 0)
        return;
    for (unsigned int i = 0; i < count; ++i)
    {
        if (titleOf (children[i]) == title)
        {
            WindowInfo info;
            if (describe (children[i], info) && (info.viewable || ! viewableOnly))
                out.push_back (info);
        }
        else if (depth > 0)
        {
            // A window manager, if there is one, puts the client one or two levels down.
            collect (children[i], title, viewableOnly, out, depth - 1);
        }
    }
    if (children != nullptr)
        XFree (children);
}

std::vector<WindowInfo> XProbe::findWindows (const std::string& title, bool viewableOnly, int depth)
{
    std::vector<WindowInfo> out;
    if (display == nullptr)
        return out;
    XSync (asDisplay (display), False);
    collect (DefaultRootWindow (asDisplay (display)), title, viewableOnly, out, depth);
    return out;
}

unsigned long XProbe::selectionOwner (const std::string& selection)
{
    if (display == nullptr)
        return 0;
    auto* d = asDisplay (display);
    return XGetSelectionOwner (d, XInternAtom (d, selection.c_str(), False));
}

bool XProbe::requestClose (unsigned long window)
{
    if (display == nullptr)
        return false;
    auto* d = asDisplay (display);
    XEvent event;
    std::memset (&event, 0, sizeof (event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) XInternAtom (d, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent (d, window, False, NoEventMask, &event);
    XSync (d, False);
    return sent != 0;
}

std::string XServer::displayName()
{
    const char* d = std::getenv ("DISPLAY");
    return d != nullptr ? d : "";
}

bool XServer::ensure (const std::string& logDir, std::string& error)
{
    if (! displayName().empty())
        return true;

    // Xvfb picks a free display itself and writes its number to the descriptor we hand it.
    int fds[2];
    if (::pipe (fds) != 0)
    {
        error = "no pipe for Xvfb";
        return false;
    }
    xvfb = std::make_unique<E2eProcess>();
    const std::vector<std::string> argv { "/usr/bin/Xvfb", "-displayfd", std::to_string (fds[1]), "-screen", "0",
                                          "1280x1024x24", "-nolisten", "tcp", "-noreset" };
    const bool started = xvfb->start (argv, {}, logDir + "/xvfb.out", logDir + "/xvfb.err", error);
    ::close (fds[1]);
    if (! started)
    {
        ::close (fds[0]);
        return false;
    }
    std::string number;
    pollfd p { fds[0], POLLIN, 0 };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (20);
    while (number.find ('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline)
    {
        if (::poll (&p, 1, 200) <= 0)
            continue;
        char buffer[32];
        const auto n = ::read (fds[0], buffer, sizeof (buffer));
        if (n <= 0)
            break;
        number.append (buffer, (size_t) n);
    }
    ::close (fds[0]);
    if (number.find ('\n') == std::string::npos)
    {
        error = "Xvfb did not report a display (see " + logDir + "/xvfb.err)";
        xvfb.reset();
        return false;
    }
    number.erase (number.find ('\n'));
    ::setenv ("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

void XServer::stop()
{
    if (xvfb != nullptr)
    {
        xvfb->stop (3000);
        xvfb.reset();
        ::unsetenv ("DISPLAY");
    }
}

} // namespace arx::e2e
