#pragma once

// The dialogs of the session operations: the file dialogs, the question before a session file
// is replaced and the "Console settings" message box. NativeSessionDialogs opens the operating
// system's file dialog through JUCE (JUCE's own where the system has none); all run
// asynchronously, so a window that goes while one is open takes its callbacks with it. Its file
// dialog is closed, as its Cancel would, when the program closes every dialog.
//
// Threads: message thread.

#include "app/ModalDialogs.h"
#include "session/SessionStore.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace arx
{

class SessionDialogs
{
public:
    virtual ~SessionDialogs() = default;

    // Opens a file dialog. `done` runs later with the chosen file, or with File() when the user
    // cancels; never after this object has been deleted.
    virtual void chooseFile (const SessionStore::FileDialog& dialog, juce::Component* parent,
                             std::function<void (const juce::File&)> done) = 0;

    // Asks whether `file`, which exists, may be replaced. `done` runs later with the answer;
    // never after this object has been deleted.
    virtual void askToReplace (const juce::File& file, juce::Component* parent, std::function<void (bool)> done) = 0;

    // A box titled "Console settings" with `text` and a single OK button.
    virtual void showMessage (const juce::String& text, juce::Component* parent) = 0;
};

class NativeSessionDialogs final : public SessionDialogs, private ModalDialogs::SystemDialog
{
public:
    NativeSessionDialogs();
    ~NativeSessionDialogs() override;

    void chooseFile (const SessionStore::FileDialog& dialog, juce::Component* parent,
                     std::function<void (const juce::File&)> done) override;
    void askToReplace (const juce::File& file, juce::Component* parent, std::function<void (bool)> done) override;
    void showMessage (const juce::String& text, juce::Component* parent) override;

private:
    void cancel() override;
    void finish (const juce::File& chosen);

    std::unique_ptr<juce::FileChooser> chooser;
    // The question box outlives this object; its answer is dropped once this has gone.
    std::shared_ptr<bool> alive = std::make_shared<bool> (true);
    std::function<void (const juce::File&)> pending; // the open file dialog's `done`

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NativeSessionDialogs)
};

} // namespace arx
