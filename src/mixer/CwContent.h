#pragma once

// The console window's content: owns the window's hardware thread, its status poller and every
// control bound to the device, and paints the console frame from the skin.
//
// Threads: message thread, except where noted. The hardware thread only reaches this component
// through posted command messages.

#include "console/HwCtrl.h"
#include "console/hwthread.h"
#include "device/bhw.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace arx
{

class ConsoleSkin;
class ConsoleState;
class CwcCtrl;
class Settings;

class CwContent : public juce::Component,
                  public juce::ApplicationCommandTarget,
                  public HwCtrlHost
{
public:
    static constexpr int settingsTab = -1;

    // `vistaOrLater` picks the settings page's behaviour.
    CwContent (ConsoleSkin& skin, bhw& device, ConsoleState& state, bool vistaOrLater = false);
    // Stops the hardware thread before the controls go; a write-back it owes completes first.
    ~CwContent() override;

    // Creates the hardware thread (owned by `owner`'s window), the poller and the pages, shows
    // the stored tab and starts the thread.
    void initialise (hwthread::Owner& owner, juce::PropertiesFile& preferences);

    // Output pair tabs the device has; the settings tab comes on top of these.
    int pairTabCount() const noexcept;

    // The tab shown: a pair index, or settingsTab.
    int currentTab() const noexcept { return tab; }
    // bank >= 0 shows output pair bank / 2, bank < 0 the settings page.
    void selectPage (int bank);

    // A stored tab value as the window may open on: -1 stays, anything outside the pair tabs
    // becomes pair tab 0.
    static int validTab (int stored, int pairTabs) noexcept;

    // Application timer, for visible windows only: queues a status poll.
    void pollTick();

    // The window became the active one: tells the device, through the hardware thread.
    void windowActivated();

    // The window is closing: the thread finishes, writes the session back if it changed and
    // tells its owner.
    void stopHardwareThread();
    // The device has gone: the thread stops at once, without (or ending) its write-back.
    void deviceRemoved();

    hwthread* getHwThreadIfMade() noexcept { return thread.get(); }
    CwcCtrl* getPoller() noexcept { return poller.get(); }
    Settings* getSettingsPage() noexcept { return settingsPage.get(); }
    HwCtrl* firstControl() const noexcept { return controlHead; }
    juce::ApplicationCommandManager& getCommandManager() noexcept { return commands; }

    // How often a poll brought values that differ from the ones shown.
    int liveUpdateCount() const noexcept { return liveUpdates; }

    // HwCtrlHost
    hwthread& getHwThread() override { return *thread; }
    void addControl (HwCtrl& control) override;

    // Component
    void paint (juce::Graphics&) override;
    void handleCommandMessage (int commandId) override;

    // ApplicationCommandTarget: the session commands join with the session box.
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands (juce::Array<juce::CommandID>&) override {}
    void getCommandInfo (juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform (const InvocationInfo&) override { return false; }

private:
    // What a poll leaves in the device object that the window shows.
    struct LiveValues
    {
        uint32_t statusBits = 0;
        uint32_t sampleRate = 0;
        uint32_t bufferSize = 0;
        bool rateLocked = false;
        std::vector<uint32_t> inputMeters, outputMeters;

        bool operator== (const LiveValues& other) const;
        bool operator!= (const LiveValues& other) const { return ! operator== (other); }
    };

    LiveValues readLiveValues() const;
    void paintPage (juce::Graphics&) const;

    ConsoleSkin& skin;
    bhw& device;
    ConsoleState& state;
    const bool vista;
    std::unique_ptr<hwthread> thread;
    std::unique_ptr<CwcCtrl> poller;
    std::unique_ptr<Settings> settingsPage;
    HwCtrl* controlHead = nullptr;
    juce::ApplicationCommandManager commands;
    int tab = 0;
    LiveValues shown;
    int liveUpdates = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CwContent)
};

} // namespace arx
