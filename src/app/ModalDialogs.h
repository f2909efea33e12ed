#pragma once

// The dialogs of ours that may be open: questions and messages, the About box, the file dialogs
// (JUCE's own, which is a modal component, and the system's, which only its owner can close)
// and the tray's menu. Whatever ends the program or hides its windows closes them all first,
// each as its Cancel or No would; a question or message that would open afterwards is answered
// the same way without showing. The windows are then free for their normal close.
//
// A firmware update is the one thing not cut short: its progress window stays, and the program
// does not end while an update runs.
//
// Threads: message thread only.

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ModalDialogs
{
public:
    // A dialog the system draws; it is known to closeAll while this object lives.
    class SystemDialog
    {
    public:
        SystemDialog();
        virtual ~SystemDialog();

        // Closes the dialog, if one is open, and hands on its result as its Cancel would.
        virtual void cancel() = 0;

    private:
        JUCE_DECLARE_NON_COPYABLE (SystemDialog)
    };

    // A firmware update runs while this lives; `progress`, its modal window, stays open.
    class Update
    {
    public:
        explicit Update (juce::Component& progress);
        ~Update();

    private:
        juce::Component* const window;
        JUCE_DECLARE_NON_COPYABLE (Update)
    };

    // Closes every dialog but an update's progress, and answers every later question or message
    // at once, until allowAgain.
    static void closeAll();
    static bool areClosing() noexcept;
    // A window is wanted again: dialogs show as before.
    static void allowAgain() noexcept;

    static bool isUpdateRunning() noexcept;

    // A question; true for `ok`. Returns once answered.
    static bool ask (const juce::String& title, const juce::String& text, const juce::String& ok,
                     const juce::String& cancel);
    // A message with one button. Returns once closed.
    static void tell (const juce::String& title, const juce::String& text, const juce::String& button);
    // A message with one button, over `over` (may be null). Returns at once.
    static void tellAsync (const juce::String& title, const juce::String& text, const juce::String& button,
                           juce::Component* over);
};

} // namespace arx
