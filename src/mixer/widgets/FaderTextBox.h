#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

namespace arx
{

class Fader;

// A fader's value box: shows the level with one decimal and takes a typed level. Every box of a
// window sits in one ring, in creation order, that Tab walks forwards and Shift+Tab backwards.
//
// Threads: message thread only.
class FaderTextBox : public juce::Label
{
public:
    explicit FaderTextBox (Fader& owner);
    ~FaderTextBox() override;

    Fader& getFader() const noexcept { return fader; }

    // Shows the fader's level, "%.1f".
    void showValue();

    // Ring links; a box on its own is a ring of one.
    FaderTextBox* getNextBox() const noexcept { return next; }
    FaderTextBox* getPreviousBox() const noexcept { return prev; }
    // Joins the ring of `other`, just before it.
    void insertBefore (FaderTextBox& other) noexcept;

    // The next (or previous) box that is visible in its window; null when there is none but
    // this one.
    FaderTextBox* nextShowing (bool forwards) const;

    // Label
    std::unique_ptr<juce::ComponentTraverser> createKeyboardFocusTraverser() override;

protected:
    void editorShown (juce::TextEditor*) override;
    void textWasEdited() override;

private:
    Fader& fader;
    FaderTextBox* next = this;
    FaderTextBox* prev = this;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FaderTextBox)
};

// Tab and Shift+Tab from a value box (or from its editor) go to the next or previous box of the
// ring, across strips.
class FaderTextBoxTraverser : public juce::KeyboardFocusTraverser
{
public:
    explicit FaderTextBoxTraverser (FaderTextBox& box) : owner (box) {}

    juce::Component* getDefaultComponent (juce::Component*) override { return &owner; }
    juce::Component* getNextComponent (juce::Component*) override { return owner.nextShowing (true); }
    juce::Component* getPreviousComponent (juce::Component*) override { return owner.nextShowing (false); }
    std::vector<juce::Component*> getAllComponents (juce::Component*) override;

private:
    FaderTextBox& owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FaderTextBoxTraverser)
};

} // namespace arx
