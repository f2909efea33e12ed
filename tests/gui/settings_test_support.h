#pragma once

// A settings page on a device of the in-process lab: a real hardware thread, the page's real
// controls, and the window content's side played by the test (the control list, the status
// poll followed by updateStatus).

#include "device_test_support.h"
#include "session/SessionHost.h"
#include "settings/BufferSize.h"
#include "settings/SettingsPage.h"
#include "settings/SpdifFormat.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace arx::test
{

// A request of the lab's log in words: driver requests (code 0x1D2008) and command packets.
struct LoggedRequest
{
    uint32_t code = 0;
    std::vector<uint32_t> words;

    bool isDriver (uint32_t subCommand) const
    {
        return code == platform::IOCTL_ARX_DRIVER_REQUEST && words.size() > 4 && words[2] == subCommand;
    }
    bool isCommand (uint32_t category, uint32_t command) const
    {
        return code == platform::IOCTL_ARX_GWC_TRANSACTION && words.size() > size_t (packetParam0)
               && words[packetCategory] == category && words[packetCommand] == command;
    }
    uint32_t param (int i) const { return words.at (size_t (packetParam0 + i)); }
};

inline std::vector<LoggedRequest> takeLoggedRequests (sim::SimDevice& device)
{
    std::vector<LoggedRequest> out;
    for (const auto& r : device.takeRequestLog())
    {
        LoggedRequest l;
        l.code = r.code;
        l.words.resize (r.input.size() / 4);
        std::memcpy (l.words.data(), r.input.data(), l.words.size() * 4);
        out.push_back (std::move (l));
    }
    return out;
}

class SettingsRig : public DeviceControlHost
{
public:
    // The page of a console window with the shipped skin's page area for 13 inputs.
    static juce::Rectangle<int> pageBounds() { return { 0, 30, 13 * 54 + 221, 506 }; }

    // `beforeBuild` runs on the lab device before the page exists (faults, a locked rate, ...).
    explicit SettingsRig (bool vistaOrLater, sim::PlugOptions options = {},
                          const std::function<void (sim::SimDevice&, Device&)>& beforeBuild = {}, bool startThread = true)
        : rig (std::move (options))
    {
        if (beforeBuild)
            beforeBuild (rig.device(), *rig.lab.device);
        page = std::make_unique<SettingsPage> (*this, *rig.lab.device, pageBounds(), vistaOrLater);
        page->getBufferSize().setMessageBox ([this] (const juce::String& title, const juce::String& text) {
            messages.push_back ({ title, text });
        });
        // As the content does once every control exists.
        for (auto* c = firstControl; c != nullptr; c = c->getNextInWindow())
            c->refresh (rig.state, false);
        if (startThread)
            rig.start();
    }

    ~SettingsRig() override
    {
        // The thread goes before the controls it may be serving.
        rig.thread.reset();
        page.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    // DeviceControlHost
    HardwareThread& getHardwareThread() override { return *rig.thread; }
    void addControl (DeviceControl& control) override
    {
        control.setNextInWindow (firstControl);
        firstControl = &control;
    }

    // One status poll as the content handles it: the device's meters and driver information,
    // then the page's status update.
    void poll()
    {
        ASSERT_EQ (rig.lab.device->pollMeters(), 0);
        ASSERT_EQ (rig.lab.device->readDriverInfo(), 0);
        page->updateStatus();
    }

    // Polls until `done` holds, as the application timer would (bounded).
    bool pollUntil (const std::function<bool()>& done)
    {
        return pumpUntil ([&] {
            poll();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
            return done();
        });
    }

    // Waits until the thread has served what was queued before this call: a read of the S/PDIF
    // format queued behind it reaches the device.
    bool waitUntilServed()
    {
        const int reads = device().requestCount ("3/4");
        rig.thread->queueGet (*page->getSpdifFormat());
        return pumpUntil ([&] { return device().requestCount ("3/4") > reads; });
    }

    void clickAndWait (juce::Button& button)
    {
        button.triggerClick(); // the real click path, delivered as a message
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    sim::SimDevice& device() { return rig.device(); }
    ConsoleState& state() { return rig.state; }

    struct Message
    {
        juce::String title, text;
    };

    DeviceRig rig;
    DeviceControl* firstControl = nullptr;
    std::unique_ptr<SettingsPage> page;
    std::vector<Message> messages;
};

inline sim::PlugOptions withHwinfo (std::function<void (sim::SimProfile&)> change)
{
    sim::PlugOptions o;
    o.hwinfoOverride = hwinfoWith (std::move (change));
    return o;
}

} // namespace arx::test
