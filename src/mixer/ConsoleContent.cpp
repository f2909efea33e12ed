#include "mixer/ConsoleContent.h"

#include "console/BankedDeviceControl.h"
#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "console/SnapshotBank.h"
#include "device/HardwareInfo.h"
#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleSkin.h"
#include "mixer/CompareWindow.h"
#include "mixer/ConsoleTabBar.h"
#include "mixer/ConsoleWindow.h"
#include "mixer/StatusPoller.h"
#include "mixer/MixerPagePanels.h"
#include "mixer/MixerPage.h"
#include "mixer/MixPlaceEditor.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/NameLabel.h"
#include "mixer/widgets/FaderTextBox.h"
#include "mixer/widgets/GangButton.h"
#include "mixer/widgets/SoloWarning.h"
#include "session/SessionController.h"
#include "settings/AboutBox.h"
#include "settings/SampleRate.h"
#include "settings/SettingsPage.h"

namespace arx
{

ConsoleContent::ConsoleContent (ConsoleSkin& consoleSkin, Device& dev, ConsoleState& consoleState, bool vistaOrLater)
    : skin (consoleSkin), device (dev), state (consoleState), vista (vistaOrLater)
{
    setName (device.uniqueName());
    setOpaque (true);
    acceptMessagesFromOtherThreads (*this);
}

ConsoleContent::~ConsoleContent()
{
    // The thread's destructor detaches it from the window before it waits, so a thread that has
    // not finished yet never waits for this, the message thread. The poller and the controls
    // of the strips and the settings page may sit in the thread's queues: they go after the
    // thread.
    thread.reset();
    placeEditor.reset();
    snapshotBar.reset();
    editPath.reset();
    poller.reset();
    session.reset();
    mixerPage.reset();
    settingsPage.reset();
}

void ConsoleContent::initialise (HardwareThread::Owner& owner, juce::PropertiesFile& preferences)
{
    thread = std::make_unique<HardwareThread> (device, state, &owner);
    poller = std::make_unique<StatusPoller> (*this, device, *this);
    thread->setPoller (*poller, StatusPoller::intervalMs);

    tabBar = std::make_unique<ConsoleTabBar> (*this, state.info(), getWidth());
    addAndMakeVisible (*tabBar);
    mixerPage = std::make_unique<MixerPage> (*this, *this);
    buildSessionBox();
    logoBox = std::make_unique<LogoBox> (skin, *mixerPage);
    settingsPage = std::make_unique<SettingsPage> (*this, device, skin.pageBounds(), vista);
    settingsPage->setAboutHandler ([this] { openAboutBox(); });
    addChildComponent (*settingsPage);

    for (auto* control = controlHead; control != nullptr; control = control->getNextInWindow())
        control->refresh (state, false);
    editPath = std::make_unique<EditPath> (state, [this] (const MixDiff& diff) { showRestoredState (diff); });
    placeEditor = std::make_unique<MixPlaceEditor> (state, *editPath, controlHead, [this] { refreshGangsAndNames(); });
    buildSnapshotBar (preferences);

    const int storedTab = validTab (preferences.getIntValue (prefs::tab, 0), pairTabCount());
    selectPage (storedTab == settingsTab ? settingsTab : 2 * storedTab);
    thread->startThread();
}

int ConsoleContent::pairTabCount() const noexcept
{
    return state.outputCount() / 2;
}

int ConsoleContent::validTab (int stored, int pairTabs) noexcept
{
    if (stored == settingsTab || pairTabs <= 0)
        return settingsTab;
    return (stored >= 0 && stored < pairTabs) ? stored : 0;
}

InputStripBox* ConsoleContent::getInputStrips() noexcept
{
    return mixerPage != nullptr ? &mixerPage->getInputStrips() : nullptr;
}

SoloWarning* ConsoleContent::getSoloWarning()
{
    return mixerPage != nullptr ? &mixerPage->getSoloWarning() : nullptr;
}

uint32_t ConsoleContent::outputLevel (int output) const
{
    return device.outputMeter (output);
}

void ConsoleContent::buildSessionBox()
{
    session = std::make_unique<SessionController> (state, *this, skin, commands, vista);
    auto& box = session->getSessionBox();
    box.setBounds (skin.sessionBoxBounds());
    mixerPage->addAndMakeVisible (box);
}

void ConsoleContent::buildSnapshotBar (juce::PropertiesFile& preferences)
{
    preferencesFile = &preferences;
    const auto* info = state.info();
    if (info == nullptr)
        return;
    snapshots = std::make_unique<SnapshotBank> (preferences, info->hwType());

    // The free end of the tab bar's row, clear of its bottom line; every existing control keeps
    // its place.
    const int left = tabBar->freeStart() + 6, right = getWidth() - 4;
    if (right - left < 40)
        return;
    snapshotBar = std::make_unique<SnapshotBar> (*this, *snapshots, state, *editPath);
    snapshotBar->setBounds (left, 5, right - left, ConsoleTabBar::barHeight - 10);
    addAndMakeVisible (*snapshotBar);
}

void ConsoleContent::preferencesClosing()
{
    preferencesFile = nullptr;
    if (snapshots != nullptr)
        snapshots->detach();
}

bool ConsoleContent::recallSnapshot (int slot)
{
    if (snapshots == nullptr || editPath == nullptr)
        return false;
    ConsoleState wanted (nullptr);
    if (! snapshots->fill (slot, wanted))
        return false;
    applyMixDiff (MixDiff::between (MixSnapshot::of (state), MixSnapshot::of (wanted)));
    if (snapshotBar != nullptr)
        snapshotBar->recalled (slot);
    return true;
}

bool ConsoleContent::storeSnapshot (int slot)
{
    if (snapshots == nullptr || ! snapshots->store (slot, state))
        return false;
    if (snapshotBar != nullptr)
        snapshotBar->refreshSlots();
    return true;
}

bool ConsoleContent::renameSnapshot (int slot, const juce::String& name)
{
    if (snapshots == nullptr || ! snapshots->rename (slot, name))
        return false;
    if (snapshotBar != nullptr)
        snapshotBar->refreshSlots();
    return true;
}

void ConsoleContent::compareSnapshot (int slot)
{
    ConsoleState wanted (nullptr);
    if (snapshots == nullptr || ! snapshots->fill (slot, wanted))
        return;
    juce::Component::SafePointer<ConsoleContent> self (this);
    offerCompare (snapshots->name (slot), wanted, [self, slot] {
        if (self != nullptr)
            self->recallSnapshot (slot);
    });
}

bool ConsoleContent::compareBeforeLoad (const juce::File& chosen, std::function<void()> loadAll)
{
    if (loadsWithoutAsking())
        return false;

    // The file over the mix as it is now, as the load would leave it.
    ConsoleState wanted (state.device());
    wanted.copyMixFrom (state);
    if (session == nullptr || session->getStore().readInto (wanted, chosen) != SessionMessage::none)
        return false; // the load itself says what is wrong with the file

    const auto rate = wanted.image().sampleRate;
    const bool setsRate = settingsPage != nullptr && settingsPage->getSampleRate().sendsLoadedRate (rate);
    offerCompare (chosen.getFileName(), wanted, std::move (loadAll), setsRate);
    return true;
}

void ConsoleContent::offerCompare (const juce::String& what, const ConsoleState& wanted, std::function<void()> loadAll,
                                   bool setsSampleRate)
{
    SessionCompare compare (state, wanted);
    if (setsSampleRate)
        compare.addSampleRate (state.image().sampleRate, wanted.image().sampleRate);
    if (compare.isEmpty())
    {
        if (session != nullptr)
            session->tell (what + " holds the mix the device has now: there is nothing to load.");
        return;
    }

    juce::Component::SafePointer<ConsoleContent> self (this);
    CompareWindow::open (getTopLevelComponent(), what, compare,
                         [self, compare, loadAll = std::move (loadAll)] (CompareWindow::Choice choice, std::vector<bool> ticked) {
                             if (self == nullptr || choice == CompareWindow::cancel)
                                 return;
                             const bool every = std::find (ticked.begin(), ticked.end(), false) == ticked.end();
                             // Only a whole load makes the file the console's session.
                             if (choice == CompareWindow::loadAll || every)
                                 loadAll();
                             else
                                 self->applyMixDiff (compare.part (ticked));
                         });
}

bool ConsoleContent::loadsWithoutAsking() const
{
    return preferencesFile != nullptr && preferencesFile->getBoolValue (prefs::loadWithoutAsking, false);
}

void ConsoleContent::setLoadWithoutAsking (bool on)
{
    if (preferencesFile != nullptr)
        preferencesFile->setValue (prefs::loadWithoutAsking, on);
}

void ConsoleContent::applyMixDiff (const MixDiff& diff)
{
    if (diff.isEmpty() || editPath == nullptr)
        return;
    editState ([&] {
        diff.apply (state, false);
        showRestoredState (diff);
    });
}

void ConsoleContent::openAboutBox()
{
    auto* top = getTopLevelComponent();
    if (top == nullptr)
        return;
    AboutBox::open (*top, &device, top->isOnDesktop());
}

void ConsoleContent::selectPage (int bank)
{
    const int newTab = bank < 0 ? settingsTab : bank / 2;
    if (pageSelected && newTab == tab)
        return;
    pageSelected = true;
    tab = newTab;

    if (mixerPage != nullptr)
    {
        mixerPage->setVisible (bank >= 0);
        if (bank >= 0)
            mixerPage->selectBank (bank & ~1);
    }
    if (settingsPage != nullptr)
        settingsPage->setVisible (bank < 0);
    if (poller != nullptr)
        poller->setDriverInfoEveryPoll (bank < 0);
    if (tabBar != nullptr)
        tabBar->showSelected (tab);
}

void ConsoleContent::setPolling (bool on)
{
    if (thread != nullptr)
        thread->setPolling (on);
}

void ConsoleContent::pollNow()
{
    if (thread != nullptr && poller != nullptr)
        thread->queueGet (*poller);
}

void ConsoleContent::windowActivated()
{
    if (thread != nullptr && poller != nullptr)
        thread->queueSet (*poller);
}

void ConsoleContent::stopHardwareThread()
{
    if (thread != nullptr)
        thread->requestStop();
}

void ConsoleContent::deviceRemoved()
{
    if (thread != nullptr)
    {
        thread->abandonWriteBack();
        thread->detachWindow();
        thread->requestStop();
    }
}

void ConsoleContent::addControl (DeviceControl& control)
{
    control.setNextInWindow (controlHead);
    controlHead = &control;
}

void ConsoleContent::commitEdit (DeviceControl& control, const std::function<void()>& change)
{
    if (editPath != nullptr)
        editPath->edit ([&] { control.applyEdit (change); });
    else
        control.applyEdit (change);
}

void ConsoleContent::editState (const std::function<void()>& change)
{
    if (editPath != nullptr)
        editPath->edit (change);
    else
        change();
}

void ConsoleContent::replaceState (const std::function<void()>& change)
{
    if (editPath != nullptr)
        editPath->replace (change);
    else
        change();
}

void ConsoleContent::gestureStarted()
{
    if (editPath != nullptr)
        editPath->beginGesture();
}

void ConsoleContent::gestureEnded()
{
    if (editPath != nullptr)
        editPath->endGesture();
}

void ConsoleContent::deviceValueArrived()
{
    // The edit path is made before the hardware thread starts and goes after it has stopped.
    if (editPath != nullptr)
        editPath->deviceValueArrived();
}

void ConsoleContent::editFromRemote (const std::function<void (ConsoleState&)>& write)
{
    editState ([&] {
        const auto before = MixSnapshot::of (state);
        write (state);
        showRestoredState (MixDiff::between (before, MixSnapshot::of (state)));
    });
}

void ConsoleContent::addTextBox (FaderTextBox& box)
{
    if (textBoxHead == nullptr)
        textBoxHead = &box;
    else
        box.insertBefore (*textBoxHead);
}

//==============================================================================
void ConsoleContent::getAllCommands (juce::Array<juce::CommandID>& ids)
{
    SessionController::getAllCommands (ids);
    ids.addArray ({ zoomInCommand, zoomOutCommand, zoomResetCommand });
    ids.addArray ({ undoCommand, redoCommand });
    for (int slot = 0; slot < SnapshotBank::slotCount; ++slot)
        ids.addArray ({ firstRecallCommand + slot, firstStoreCommand + slot });
}

void ConsoleContent::getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info)
{
    constexpr auto ctrl = juce::ModifierKeys::commandModifier;
    switch (id)
    {
        case zoomInCommand:
            info.setInfo ("Zoom in", "Show the console larger", "View", 0);
            info.addDefaultKeypress ('=', ctrl);
            info.addDefaultKeypress ('+', ctrl);
            info.addDefaultKeypress ('+', ctrl | juce::ModifierKeys::shiftModifier); // '+' shares its key with '='
            info.addDefaultKeypress (juce::KeyPress::numberPadAdd, ctrl);
            return;
        case zoomOutCommand:
            info.setInfo ("Zoom out", "Show the console smaller", "View", 0);
            info.addDefaultKeypress ('-', ctrl);
            info.addDefaultKeypress (juce::KeyPress::numberPadSubtract, ctrl);
            return;
        case zoomResetCommand:
            info.setInfo ("Actual size", "Show the console at 100%", "View", 0);
            info.addDefaultKeypress ('0', ctrl);
            info.addDefaultKeypress (juce::KeyPress::numberPad0, ctrl);
            return;
        case undoCommand:
            info.setInfo ("Undo", "Take back the last change of the mixer", "Edit", 0);
            info.addDefaultKeypress ('z', ctrl);
            return;
        case redoCommand:
            info.setInfo ("Redo", "Make the last change taken back again", "Edit", 0);
            info.addDefaultKeypress ('z', ctrl | juce::ModifierKeys::shiftModifier);
            info.addDefaultKeypress ('y', ctrl);
            return;
        default:
        {
            const int recall = id - firstRecallCommand, store = id - firstStoreCommand;
            const auto key = [] (int slot) { return juce::KeyPress::F1Key + slot; };
            if (SnapshotBank::isSlot (recall))
            {
                info.setInfo ("Recall snapshot " + juce::String (recall + 1), "Recall the mix of a snapshot slot", "Snapshots", 0);
                info.addDefaultKeypress (key (recall), juce::ModifierKeys::noModifiers);
            }
            else if (SnapshotBank::isSlot (store))
            {
                info.setInfo ("Store snapshot " + juce::String (store + 1), "Store the mix in a snapshot slot", "Snapshots", 0);
                info.addDefaultKeypress (key (store), juce::ModifierKeys::shiftModifier);
            }
            else
            {
                SessionController::getCommandInfo (id, info);
            }
            break;
        }
    }
}

bool ConsoleContent::perform (const InvocationInfo& info)
{
    if (info.commandID == zoomInCommand || info.commandID == zoomOutCommand || info.commandID == zoomResetCommand)
    {
        if (zoomHandler)
            zoomHandler (info.commandID == zoomInCommand ? 1 : info.commandID == zoomOutCommand ? -1 : 0);
        return true;
    }

    if (info.commandID == undoCommand || info.commandID == redoCommand)
    {
        if (editPath != nullptr)
            info.commandID == undoCommand ? editPath->undo() : editPath->redo();
        return true;
    }

    if (SnapshotBank::isSlot (info.commandID - firstRecallCommand))
        return recallSnapshot (info.commandID - firstRecallCommand), true;
    if (SnapshotBank::isSlot (info.commandID - firstStoreCommand))
        return storeSnapshot (info.commandID - firstStoreCommand), true;

    if (session == nullptr || ! session->perform (info.commandID))
        return false;
    repaint();
    return true;
}

void ConsoleContent::refreshGangsAndNames()
{
    forEachNamed (*this, GangButton::componentName, [] (juce::Component& c) {
        if (auto* gang = dynamic_cast<GangButton*> (&c))
            gang->refreshFromState();
    });
    forEachNamed (*this, "alias", [] (juce::Component& c) {
        if (auto* alias = dynamic_cast<NameLabel*> (&c))
            alias->updateText();
    });
}

void ConsoleContent::applyToControls()
{
    // The loaded file is in the state already.
    replaceState ([this] {
        refreshGangsAndNames();
        refreshAndQueueAll (controlHead, state);
    });
    repaint();
}

void ConsoleContent::resetControls()
{
    replaceState ([this] {
        forEachNamed (*this, "alias", [] (juce::Component& c) {
            if (auto* alias = dynamic_cast<NameLabel*> (&c))
            {
                alias->resetName();
                alias->updateText();
            }
        });
        resetAndQueueAll (controlHead);
    });
    repaint();
}

void ConsoleContent::showRestoredState (const MixDiff& diff)
{
    refreshGangsAndNames();

    // The device holds the state as it was before `diff`: only the banks of the places that
    // changed go to it. The sample rate and the buffer size are never part of a step: the
    // settings page's other controls take the state again only when a step changed their value.
    const auto changes = diff.changes();
    for (auto* control = controlHead; control != nullptr; control = control->getNextInWindow())
    {
        if (auto* mixer = dynamic_cast<BankedDeviceControl*> (control))
        {
            mixer->refresh (state, false);
            mixer->markChanged (changes);
            if (mixer->getPendingBanks() != 0)
                mixer->getThread().queueSet (*mixer);
        }
        else if (settingsPage != nullptr && settingsPage->isChangedBy (*control, diff))
        {
            control->refresh (state, true);
            control->getThread().queueSet (*control);
        }
    }
    repaint();
}

//==============================================================================
void ConsoleContent::handleCommandMessage (int)
{
    if (poller == nullptr || ! poller->isDataValid())
        return;

    // The window system may take the window off the screen without a word to JUCE: the poll
    // results are where the window looks again, a few times a second (each look asks the X
    // server twice).
    const auto now = juce::Time::getMillisecondCounter();
    if (now - lastScreenCheckMs >= screenCheckMs)
    {
        lastScreenCheckMs = now;
        if (auto* window = findParentComponentOfClass<ConsoleWindow>())
            window->updatePolling();
    }

    // No shortcut on unchanged values here: a strip made or switched since the last poll must
    // show this one. Each display compares with what it shows and repaints only what moved;
    // the settings page queues its own reads from what the poll brought.
    if (mixerPage != nullptr)
        mixerPage->refreshMeters();
    if (tabBar != nullptr)
        tabBar->refreshLights();
    if (settingsPage != nullptr)
        settingsPage->updateStatus();
    pollListeners.call ([] (PollListener& l) { l.statusPolled(); });
}

//==============================================================================
void ConsoleContent::paint (juce::Graphics& g)
{
    // The tab bar and the pages cover everything.
    g.fillAll (ConsoleLookAndFeel::backgroundColour());
}

} // namespace arx
