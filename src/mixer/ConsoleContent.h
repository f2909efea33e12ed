#pragma once

// The console window's content: owns the window's hardware thread, its status poller and every
// control bound to the device; shows the tab bar over the mixer page or the settings page.
//
// Threads: message thread, except where noted. The hardware thread only reaches this component
// through posted command messages.

#include "console/DeviceControl.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "mixer/EditPath.h"
#include "mixer/SnapshotBar.h"
#include "mixer/TabBar.h"
#include "mixer/widgets/MixerHost.h"
#include "session/SessionHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace arx
{

class ConsoleTabBar;
class ConsoleSkin;
class ConsoleState;
class StatusPoller;
class LogoBox;
class SessionController;
class SettingsPage;
class MixerPage;
class InputStripBox;
class MixPlaceEditor;
class SnapshotBank;

class ConsoleContent : public juce::Component,
                  public juce::ApplicationCommandTarget,
                  public MixerHost,
                  public SessionHost,
                  public TabBarHost,
                  public SnapshotBar::Host
{
public:
    static constexpr int settingsTab = -1;

    // The "View" commands; the window does the zooming.
    enum ZoomCommands
    {
        zoomInCommand = 0x2101,
        zoomOutCommand = 0x2102,
        zoomResetCommand = 0x2103
    };

    // `vistaOrLater` picks the settings page's behaviour.
    ConsoleContent (ConsoleSkin& skin, Device& device, ConsoleState& state, bool vistaOrLater = false);
    // Stops the hardware thread before the controls go; a write-back it owes completes first.
    ~ConsoleContent() override;

    // Creates the hardware thread (owned by `owner`'s window), the poller and the pages, shows
    // every control's value from the state, shows the stored tab and starts the thread.
    void initialise (HardwareThread::Owner& owner, juce::PropertiesFile& preferences);

    // Output pair tabs the device has (none with fewer than two outputs); the settings tab
    // comes on top of these.
    int pairTabCount() const noexcept;

    // The tab shown: a pair index, or settingsTab.
    int currentTab() const noexcept { return tab; }
    // TabBarHost. bank >= 0 shows the mixer page at output pair bank / 2, bank < 0 the settings
    // page; the tab bar follows. The first selection always shows its page.
    void selectPage (int bank) override;
    uint32_t outputLevel (int output) const override;

    // A stored tab value as the window may open on: -1 stays, anything outside the pair tabs
    // becomes pair tab 0; without pair tabs only the settings tab is left.
    static int validTab (int stored, int pairTabs) noexcept;

    // The hardware thread polls the device's status every 100 ms while this is on (the window
    // is on the screen).
    void setPolling (bool on);
    // Queues one status poll now.
    void pollNow();

    // The window became the active one: tells the device, through the hardware thread.
    void windowActivated();

    // The window's preferences file is about to close: nothing writes to it from now on.
    void preferencesClosing();

    // The window is closing: the thread finishes, writes the session back if it changed and
    // tells its owner.
    void stopHardwareThread();
    // The device has gone: the thread stops at once, without (or ending) its write-back.
    void deviceRemoved();

    HardwareThread* getHardwareThreadIfMade() noexcept { return thread.get(); }
    // The device's meters are those of the last good poll (any thread may read them).
    Device& getDevice() noexcept { return device; }
    StatusPoller* getPoller() noexcept { return poller.get(); }
    SettingsPage* getSettingsPage() noexcept { return settingsPage.get(); }
    // Null before initialise().
    SessionController* getSessionController() noexcept { return session.get(); }
    DeviceControl* firstControl() const noexcept { return controlHead; }
    // The window's one way in for every change of its mixer; null before initialise().
    EditPath* getEditPath() noexcept { return editPath.get(); }
    // Reads and sets places of the mix by name, through the edit path; null before initialise().
    MixPlaceEditor* getPlaceEditor() noexcept { return placeEditor.get(); }
    juce::ApplicationCommandManager& getCommandManager() noexcept { return commands; }
    // What the zoom commands call: +1 in, -1 out, 0 back to 100%. Without one they do nothing.
    void setZoomHandler (std::function<void (int direction)> handler) { zoomHandler = std::move (handler); }

    // The device's snapshot slots and the bar that shows them; null before initialise() and for
    // a device without a description (the bar also without room on the tab bar's row).
    SnapshotBank* getSnapshots() noexcept { return snapshots.get(); }
    SnapshotBar* getSnapshotBar() noexcept { return snapshotBar.get(); }

    // SnapshotBar::Host, and the calls for remote clients: `slot` from 0 to 7. A recall changes
    // the mix as a session load does (state, device, window, write-back) in one undo step and
    // sends only what differs; an empty slot, or one of another model, does nothing (false).
    bool recallSnapshot (int slot) override;
    bool storeSnapshot (int slot) override;
    bool renameSnapshot (int slot, const juce::String& name) override;
    void compareSnapshot (int slot) override;
    bool loadsWithoutAsking() const override;
    void setLoadWithoutAsking (bool on) override;

    // Writes the words of `diff` (their `after` side) into the state as one undo step: the
    // window shows them and the device gets what differs.
    void applyMixDiff (const MixDiff& diff);

    // The mixer page (the session box joins it) and what it holds; null before initialise().
    MixerPage* getMixerPage() noexcept { return mixerPage.get(); }
    InputStripBox* getInputStrips() noexcept;
    ConsoleTabBar* getTabBar() noexcept { return tabBar.get(); }
    LogoBox* getLogoBox() noexcept { return logoBox.get(); }
    // The first value box of the Tab ring; null before any.
    FaderTextBox* firstTextBox() const noexcept { return textBoxHead; }

    // MixerHost
    HardwareThread& getHardwareThread() override { return *thread; }
    void addControl (DeviceControl& control) override;
    ConsoleSkin& getSkin() override { return skin; }
    void addTextBox (FaderTextBox& box) override;
    SoloWarning* getSoloWarning() override;
    void commitEdit (DeviceControl& control, const std::function<void()>& change) override;
    void editState (const std::function<void()>& change) override;
    void gestureStarted() override;
    void gestureEnded() override;
    void deviceValueArrived() override;

    // A remote client's change (the web remote): `write` changes the state, and the controls show
    // it and queue the device as after an undo, all as one edit of the edit path.
    void editFromRemote (const std::function<void (ConsoleState&)>& write);
    // Told after every good status poll, once the window shows it (the remotes' meters).
    struct PollListener
    {
        virtual ~PollListener() = default;
        virtual void statusPolled() = 0;
    };
    void addPollListener (PollListener* listener) { pollListeners.add (listener); }
    void removePollListener (PollListener* listener) { pollListeners.remove (listener); }

    // Component
    void paint (juce::Graphics&) override;
    // After every good status poll: every display of polled values shows the new ones (each
    // repaints only what changed).
    void handleCommandMessage (int commandId) override;

    // ApplicationCommandTarget: the session commands, Undo and Redo; the content is the last target.
    enum EditCommands
    {
        undoCommand = 0x4501,
        redoCommand = 0x4502,
        // F1-F8 recall slots 0-7, Shift+F1-F8 store them.
        firstRecallCommand = 0x4601,
        firstStoreCommand = 0x4611
    };

    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands (juce::Array<juce::CommandID>&) override;
    void getCommandInfo (juce::CommandID, juce::ApplicationCommandInfo&) override;
    bool perform (const InvocationInfo&) override;

    // SessionHost
    void applyToControls() override;
    void resetControls() override;
    bool compareBeforeLoad (const juce::File& chosen, std::function<void()> loadAll) override;

    // Shows what loading `wanted` (named `what`) would change; "Load all" runs `loadAll`, "Load
    // ticked" changes only the groups ticked, in one undo step. `setsSampleRate`: "Load all"
    // also sets the device's rate to `wanted`'s.
    void offerCompare (const juce::String& what, const ConsoleState& wanted, std::function<void()> loadAll,
                       bool setsSampleRate = false);

private:
    void buildSessionBox();
    void buildSnapshotBar (juce::PropertiesFile& preferences);
    // After an undo, a redo or a recall wrote `diff` into the state: every control shows the
    // state, and only the values of the places in `diff` go to the device.
    void showRestoredState (const MixDiff& diff);
    void refreshGangsAndNames();
    // A session load or a reset through the edit path.
    void replaceState (const std::function<void()>& change);
    void openAboutBox();

    ConsoleSkin& skin;
    Device& device;
    ConsoleState& state;
    const bool vista;
    std::unique_ptr<HardwareThread> thread;
    std::unique_ptr<StatusPoller> poller;
    std::unique_ptr<SettingsPage> settingsPage;
    std::unique_ptr<SessionController> session;
    std::unique_ptr<EditPath> editPath;
    std::unique_ptr<MixPlaceEditor> placeEditor;
    std::unique_ptr<SnapshotBank> snapshots;
    std::unique_ptr<SnapshotBar> snapshotBar;
    juce::PropertiesFile* preferencesFile = nullptr;
    DeviceControl* controlHead = nullptr;
    FaderTextBox* textBoxHead = nullptr;
    juce::ApplicationCommandManager commands;
    std::function<void (int)> zoomHandler;
    int tab = 0;
    bool pageSelected = false;

    std::unique_ptr<ConsoleTabBar> tabBar;
    std::unique_ptr<MixerPage> mixerPage;
    std::unique_ptr<LogoBox> logoBox;

    juce::ListenerList<PollListener> pollListeners;

    static constexpr juce::uint32 screenCheckMs = 200;
    juce::uint32 lastScreenCheckMs = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleContent)
};

} // namespace arx
