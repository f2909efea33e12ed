#pragma once

// The small modal box that asks for a snapshot slot's new name: the name in a text editor, OK
// (Return) and Cancel (Escape). On the desktop with the console window it belongs to (tests
// keep both off it); the program's end closes it as its Cancel would (app/ModalDialogs).
//
// Threads: message thread.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace arx
{

class SnapshotNameBox : public juce::DialogWindow
{
public:
    static constexpr const char* titleText = "Rename snapshot";

    // Opens the box over `over` for slot `slot` (0-based) named `name`; `renamed` gets the text
    // once OK closes it.
    static SnapshotNameBox* open (juce::Component& over, int slot, const juce::String& name,
                                  std::function<void (const juce::String&)> renamed);

    juce::TextEditor& getEditor() const;
    juce::Button& getButton (bool ok) const;

    void closeButtonPressed() override;

private:
    class Content;
    SnapshotNameBox (int slot, const juce::String& name, bool onDesktop);
    Content& content() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SnapshotNameBox)
};

} // namespace arx
