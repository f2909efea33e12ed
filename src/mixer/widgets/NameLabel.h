#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

// A channel's name, edited in place with a single click. Every name label is named "alias", by
// which a session load finds them all. The subclass keeps the name in the console state.
//
// Threads: message thread only.
class NameLabel : public juce::Label, private juce::Label::Listener
{
public:
    NameLabel();
    ~NameLabel() override;

    // After the subclass has set the bounds: shows the name, then into `parent`.
    void setUp (juce::Component& parent);

    // Forgets the stored name; the next updateText() shows the default one.
    virtual void resetName() = 0;
    // Shows the stored name, or the default one (then stored) when there is none.
    virtual void updateText() = 0;

protected:
    using juce::Label::editorShown;

    // The user typed `text`; returns the name as stored, which the label then shows.
    virtual juce::String storeName (const juce::String& text) = 0;

private:
    void labelTextChanged (juce::Label*) override;
    void editorShown (juce::Label*, juce::TextEditor& textEditor) override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NameLabel)
};

} // namespace arx
