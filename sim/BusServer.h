#pragma once

// Serves a DeviceLab on a device directory: one folder per plugged device with its registry
// values and a `device` socket, published by an atomic rename and taken away on unplug, a
// control socket (.arx-devsim.ctl) that takes line commands from arx-devsim's client commands,
// and the audio socket (.arx-devsim.audio) that serves the system's audio side (AudioSession).
//
// Threads: one poll thread accepts connections; each connection has its own thread that reads
// request frames and answers them through SimDevice::deviceIoControl.

#include "platform/BusWire.h"
#include "platform/DeviceDirectory.h"
#include "sim/DeviceLab.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <thread>

namespace arx::sim
{

class BusServer : private DeviceLab::Listener
{
public:
    static constexpr const char* controlSocketName = ".arx-devsim.ctl";
    static constexpr uint32_t maxFrameBytes = arx::platform::buswire::maxFrameBytes;

    BusServer (DeviceLab& lab, const juce::File& directory); // a folder trusted as it is
    BusServer (DeviceLab& lab, const platform::DeviceDirectory& directory);
    ~BusServer() override;

    // Creates the directory (mode 0700) if needed and checks it as its Check asks, publishes
    // present devices, opens the control socket and starts serving. False (with a message) when
    // the directory is refused or it or a socket cannot be made. Entries and sockets are the
    // user's alone.
    bool start (juce::String& error);
    // What is wrong with a directory served only with a warning; empty when nothing is.
    const juce::String& directoryWarning() const noexcept { return warning; }
    void stop(); // removes every entry and the control socket, closes all connections

    const juce::File& directory() const noexcept { return dir; }
    juce::File entryFor (const juce::String& uniqueName) const;

    // Plugs a device into the lab unless its name is plugged in already or its folder is taken
    // by another device ("A.1" and "A_1" share one); null with the reason in `error`. Devices
    // already plugged are never touched. Any thread.
    SimDevice* plug (PlugOptions options, juce::String& error);

    // One control command line; the reply line starts with "ok" or "error". Any thread.
    juce::String handleControlLine (const juce::String& line);

    // The guitar's commands: its cable, the player, its mode and charging, and its faults.
    static juce::String handleGuitarCommand (SimDevice& device, const juce::StringArray& args);

    // Folder name for a unique name: unsafe characters replaced, never a dot name.
    static juce::String entryName (const juce::String& uniqueName);

private:
    class Impl;
    void pollLoop();
    void serveConnection (int fd, SimDevice& device);
    void serveControl (int fd);
    void acceptAudio();
    static juce::String applyGuitarFaults (SimGuitarFaults& faults, const juce::StringArray& args);
    void deviceArrived (SimDevice& device) override;
    void deviceRemoved (SimDevice& device) override;

    DeviceLab& lab;
    platform::DeviceDirectory checked;
    juce::File dir;
    juce::String warning;
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BusServer)
};

} // namespace arx::sim
