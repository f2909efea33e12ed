#pragma once

// What the X server shows: top-level windows by title, their geometry and map state, and the
// user's close request. There is no window manager under Xvfb, so closing a window means
// sending WM_DELETE_WINDOW ourselves, exactly as a window manager would.

#include "e2e/harness/E2eProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace arx::e2e
{

struct WindowInfo
{
    unsigned long id = 0;
    int x = 0, y = 0; // top-left in root coordinates
    int width = 0, height = 0;
    bool viewable = false;
};

class XProbe
{
public:
    // Connects to `displayName` (e.g. ":93"); isOpen() tells whether that worked.
    explicit XProbe (const std::string& displayName);
    ~XProbe();

    XProbe (const XProbe&) = delete;
    XProbe& operator= (const XProbe&) = delete;

    bool isOpen() const noexcept { return display != nullptr; }
    int screenWidth() const;
    int screenHeight() const;
    // The colour the screen shows at (x, y) as 0xRRGGBB (on a 24-bit screen); -1 when there is none.
    long pixel (int x, int y);

    // Windows whose title is exactly `title`; with `viewableOnly`, mapped ones only. Top-level
    // windows and up to two levels below them (a window manager's frames); `depth` goes deeper.
    std::vector<WindowInfo> findWindows (const std::string& title, bool viewableOnly = true, int depth = 2);
    // The window that owns the selection named `selection`; 0 when none does.
    unsigned long selectionOwner (const std::string& selection);
    bool describe (unsigned long window, WindowInfo& info);

    // The close request a window manager sends when the user clicks the close button.
    bool requestClose (unsigned long window);

private:
    void collect (unsigned long parent, const std::string& title, bool viewableOnly, std::vector<WindowInfo>& out, int depth);
    std::string titleOf (unsigned long window);

    void* display = nullptr; // Display*, kept opaque so that Xlib's macros stay out of the tests
};

// The X server the tests use: $DISPLAY when set, else an Xvfb of our own.
class XServer
{
public:
    // Starts Xvfb (1280 x 1024) when no DISPLAY is set; sets DISPLAY for child processes.
    bool ensure (const std::string& logDir, std::string& error);
    void stop();
    static std::string displayName();

private:
    std::unique_ptr<E2eProcess> xvfb;
};

} // namespace arx::e2e
