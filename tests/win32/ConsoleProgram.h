#pragma once

// arx-console.exe as a process of its own, started next to the test program with ARX_LOG=1 and
// its diagnostics read from a pipe. Ended when the object goes, if still running.

#include "platform/win32/Win32Api.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arx::win32test
{

class ConsoleProgram
{
public:
    ConsoleProgram();
    ~ConsoleProgram();

    bool started() const noexcept { return process != nullptr; }
    DWORD processId() const noexcept { return pid; }

    // Also waits for the last of its output.
    bool waitForExit (int limitMs);
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const;

    std::string log();
    bool waitForLog (const std::string& text, int limitMs = 15000);

    // Its top-level windows: all of them, or only those that are shown.
    std::vector<HWND> windows (bool shownOnly) const;
    // Its notification window, once it has made it.
    HWND notificationWindow() const;

private:
    void readOutput();

    HANDLE process = nullptr;
    HANDLE outputRead = nullptr;
    DWORD pid = 0;
    std::thread reader;
    std::mutex lock;
    std::string output;
    std::atomic<bool> outputEnded { false };

    JUCE_DECLARE_NON_COPYABLE (ConsoleProgram)
};

} // namespace arx::win32test
