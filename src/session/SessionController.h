#pragma once

// The session operations of one console window: the "Save", "Save as" and "Load" commands, the
// reset button, the file dialogs and the "Console settings" messages. The window's content owns
// it, holds its session box as a child and forwards the session commands to it.
//
// A file dialog, and the question before a save replaces an existing session file, keep the
// window's top-level component disabled while they are open; commands that arrive meanwhile are
// dropped. The dialogs run asynchronously: when the window goes while one is open, nothing of
// this object runs afterwards.
//
// Threads: message thread.

#include "session/SessionBox.h"
#include "session/SessionDialogs.h"
#include "session/SessionStore.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleSkin;
class ConsoleState;
class SessionHost;

class SessionController
{
public:
    enum CommandIDs
    {
        saveCommand = 1,
        saveAsCommand = 2,
        loadCommand = 3
    };

    // `dialogs` defaults to the operating system's own.
    SessionController (ConsoleState& state, SessionHost& host, const ConsoleSkin& skin,
                       juce::ApplicationCommandManager& commands, bool vistaOrLater,
                       std::unique_ptr<SessionDialogs> dialogs = {});
    ~SessionController();

    SessionBox& getSessionBox() noexcept { return box; }
    // Other dialogs from now on (tests answer them); not while one is open.
    void setDialogs (std::unique_ptr<SessionDialogs> newDialogs);
    SessionStore& getStore() noexcept { return store; }

    // For the content's ApplicationCommandTarget.
    static void getAllCommands (juce::Array<juce::CommandID>& commands);
    static void getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result);
    // True for the session commands (handled, or dropped while a dialog is open).
    bool perform (juce::CommandID commandID);

    void saveSession (bool forceDialog);
    void loadSession();
    void resetConsole();

    bool isDialogOpen() const noexcept { return dialogOpen; }

    // A message about the session through the window's dialogs.
    void tell (const juce::String& text) { dialogs->showMessage (text, box.getTopLevelComponent()); }

private:
    void holdWindow();
    void openDialog (const SessionStore::FileDialog& dialog, std::function<void (const juce::File&)> chosen);
    void dialogClosed();
    void confirmSave (const juce::File& chosen);
    void finishSave (const juce::File& chosen);
    void finishLoad (const juce::File& chosen);
    void loadWhole (const juce::File& chosen);
    void show (SessionMessage message);

    SessionHost& host;
    SessionStore store;
    std::unique_ptr<SessionDialogs> dialogs;
    SessionBox box;
    juce::Component::SafePointer<juce::Component> disabledTop;
    bool dialogOpen = false;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SessionController)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SessionController)
};

} // namespace arx
