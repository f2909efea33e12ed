#pragma once

// Helpers for tests of the hardware thread: small real controls that send real commands to a
// device of the in-process lab, an owner that hands out a real progress window, and a way to
// read back which commands reached the device.

#include "console/ConsoleState.h"
#include "console/DeviceControl.h"
#include "console/BankedDeviceControl.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "firmware/FlashProgressWindow.h"
#include "unit/test_console_fixture.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace arx::test
{

// Runs the message loop until `done` holds or `limitMs` pass; the limit only keeps a broken
// build from hanging.
inline bool pumpUntil (const std::function<bool()>& done, int limitMs = 10000)
{
    const auto start = juce::Time::getMillisecondCounter();
    while (! done())
    {
        if (juce::Time::getMillisecondCounter() - start > (juce::uint32) limitMs)
            return false;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }
    return true;
}

// Runs every message posted so far (and any they post at once): a control's message posted
// before this call has been handled when it returns.
inline bool runPostedMessages()
{
    auto done = std::make_shared<std::atomic<bool>> (false);
    juce::MessageManager::callAsync ([done] { *done = true; });
    return pumpUntil ([done] { return done->load(); });
}

// Keeps the first request that `matches` waiting inside the device, on whichever thread sent
// it, until release(): a device slow to answer exactly then. Set it up while the hardware
// thread has nothing to send; it stays on the lab's hook for the lab's lifetime.
class HeldRequest
{
public:
    using Match = std::function<bool (uint32_t code, const uint32_t* in)>;

    HeldRequest (RequestHook& hook, Match matches)
    {
        hook.before = [s = shared, matches] (uint32_t code, const uint32_t* in) {
            if (s->released.load())
                s->later.signal();
            else if (matches (code, in) && ! s->held.exchange (true))
                s->go.wait (10000);
        };
    }
    ~HeldRequest() { release(); }

    // Message thread: pumps messages until the request waits in the device.
    bool waitUntilHeld() { return pumpUntil ([this] { return shared->held.load(); }); }
    void release()
    {
        shared->released = true;
        shared->go.signal();
    }
    // Any thread, without pumping messages: a request has reached the device since the release.
    bool waitForRequestAfterRelease (int limitMs = 10000) { return shared->later.wait (limitMs); }

private:
    struct Shared
    {
        std::atomic<bool> held { false }, released { false };
        juce::WaitableEvent go, later;
    };
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
};

// A command packet of `category` and `command` whose first parameters are `params`.
inline bool isPacket (uint32_t code, const uint32_t* in, uint32_t category, uint32_t command,
                      std::initializer_list<uint32_t> params = {})
{
    if (code != platform::IOCTL_ARX_GWC_TRANSACTION || in[packetCategory] != category || in[packetCommand] != command)
        return false;
    int i = packetParam0;
    for (auto p : params)
        if (in[i++] != p)
            return false;
    return true;
}

// One command as the device received it.
struct SentCommand
{
    uint32_t category = 0, command = 0;
    std::vector<uint32_t> params;
    double atMs = 0.0; // when the device received it
};

inline std::vector<SentCommand> takeCommands (sim::SimDevice& device)
{
    std::vector<SentCommand> result;
    for (const auto& request : device.takeRequestLog())
    {
        if (request.code != platform::IOCTL_ARX_GWC_TRANSACTION || request.input.size() < 28)
            continue;

        std::vector<uint32_t> words (request.input.size() / 4);
        std::memcpy (words.data(), request.input.data(), words.size() * 4);
        SentCommand c;
        c.category = words[packetCategory];
        c.command = words[packetCommand];
        c.params.assign (words.begin() + packetParam0, words.end());
        c.atMs = request.atMs;
        result.push_back (c);
    }
    return result;
}

inline bool isCommand (const SentCommand& c, uint32_t category, uint32_t command)
{
    return c.category == category && c.command == command;
}

// A progress window that remembers what it was told, beyond its own lifetime.
struct ProgressRecord
{
    juce::StringArray statuses;
    std::vector<float> minimumSteps;
    float lastProgress = -1.0f;
    int created = 0;
    int deleted = 0;
};

class RecordingProgressWindow : public FlashProgressWindow
{
public:
    explicit RecordingProgressWindow (ProgressRecord& r) : FlashProgressWindow (nullptr, false, false), record (r)
    {
        ++record.created;
    }
    ~RecordingProgressWindow() override { ++record.deleted; }

    void setStatus (const juce::String& text) override
    {
        FlashProgressWindow::setStatus (text);
        const juce::ScopedLock sl (recordLock);
        record.statuses.add (text);
    }
    void setMinimumStep (float step) override
    {
        FlashProgressWindow::setMinimumStep (step);
        const juce::ScopedLock sl (recordLock);
        record.minimumSteps.push_back (step);
    }
    void setProgress (float value) override
    {
        FlashProgressWindow::setProgress (value);
        record.lastProgress = getProgress();
    }

private:
    ProgressRecord& record;
    juce::CriticalSection recordLock;
};

class TestOwner : public HardwareThread::Owner
{
public:
    std::unique_ptr<FlashProgress> createFlashProgress() override
    {
        createdOnMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        return std::make_unique<RecordingProgressWindow> (progress);
    }
    void hardwareThreadFinished() override { ++finished; }

    ProgressRecord progress;
    std::atomic<int> finished { 0 };
    bool createdOnMessageThread = false;
};

// A single-value control: the mute of one output.
class OutputMuteCtrl : public juce::Component, public DeviceControl
{
public:
    OutputMuteCtrl (HardwareThread& t, int outputChannel) : DeviceControl (t), channel (outputChannel) {}

    void get() override
    {
        bool on = false;
        const int code = getThread().getDevice().getOutputMute (channel, on);
        if (code == 0)
            getThread().getState().setOutputMute (channel, on);
        onGetResult (code, this);
    }
    void set() override
    {
        ++sets;
        onSetResult (getThread().getDevice().setOutputMute (channel, getThread().getState().outputMute (channel)));
    }
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState& state) override
    {
        ++stores;
        state.setOutputMute (channel, shown);
    }
    void reset() override {}
    void handleCommandMessage (int) override { ++shownUpdates; }

    const int channel;
    bool shown = true;
    std::atomic<int> sets { 0 }, stores { 0 };
    int shownUpdates = 0;
};

// A banked control: output levels, one bank per output channel.
class OutputGainCtrl : public juce::Component, public BankedDeviceControl
{
public:
    explicit OutputGainCtrl (HardwareThread& t) : BankedDeviceControl (t) {}

    void get() override {}
    void set() override
    {
        sendNextBank ([this] (int b) {
            return getThread().getDevice().setOutputGain (b, getThread().getState().outputGain (b));
        });
    }
    void refresh (ConsoleState&, bool) override {}
    int bankOf (const MixChange& c) const noexcept override { return c.kind == MixChange::outputLevel ? c.a : -1; }
    void store (ConsoleState& state) override
    {
        if (bank >= 0)
            state.setOutputGain (bank, shownDb.load());
    }
    void reset() override {}

    // What the fader shows, for the bank it shows.
    std::atomic<float> shownDb { 0.0f };
    int bank = -1;
};

// A device of the lab with a console state read from it and a hardware thread on both.
struct DeviceRig
{
    explicit DeviceRig (sim::PlugOptions options = {}, bool withOwner = true)
        : lab (options), state (lab.device.get())
    {
        readResult = state.readFromDevice();
        thread = std::make_unique<HardwareThread> (*lab.device, state, withOwner ? &owner : nullptr);
    }

    ~DeviceRig()
    {
        thread.reset();
        // Let posted messages of the thread run against live objects, as the app would.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    void start()
    {
        thread->startThread();
        thread->notify();
    }

    sim::SimDevice& device() { return *lab.sim; }

    LabDevice lab;
    ConsoleState state;
    TestOwner owner;
    std::unique_ptr<HardwareThread> thread;
    int readResult = -99;
};

} // namespace arx::test
