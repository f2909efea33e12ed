#pragma once

// A system tray for the consoles under test: owns the screen's tray selection, takes in the
// icons that ask to dock (reparented into a strip of its own, 22 x 22 each) and tells where they
// are, so that a test can click them as a user would. Stops serving when it goes.

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arx::e2e
{

class TrayHost
{
public:
    static constexpr int iconSize = 22;

    // Connects to `displayName` and takes the tray selection; isServing() tells whether it did.
    explicit TrayHost (const std::string& displayName);
    ~TrayHost();

    TrayHost (const TrayHost&) = delete;
    TrayHost& operator= (const TrayHost&) = delete;

    bool isServing() const noexcept { return serving; }

    // Root coordinates of the middle of the n-th docked icon; false while it has not docked.
    bool iconCentre (int index, int& x, int& y);
    unsigned long iconWindow (int index);
    int iconCount();

private:
    void serve();
    void dock (unsigned long icon);
    int iconIndex (unsigned long window);

    void* display = nullptr; // Display*
    unsigned long strip = 0;
    unsigned long opcode = 0;
    int stripX = 0, stripY = 0;
    std::atomic<bool> serving { false }, stop { false };
    std::mutex lock;
    std::vector<unsigned long> icons;
    std::thread thread;
};

} // namespace arx::e2e
