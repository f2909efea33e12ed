#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

// Labels that sit on the skin's light fields (names, fader values): black text that uses the
// whole field, squeezed rather than cut, and a white field with black text while edited.
inline void styleLightField (juce::Label& label)
{
    label.setBorderSize ({ 0, 1, 0, 1 });
    label.setMinimumHorizontalScale (0.6f);
    label.setColour (juce::Label::textColourId, juce::Colours::black);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    label.setColour (juce::Label::textWhenEditingColourId, juce::Colours::black);
    label.setColour (juce::Label::backgroundWhenEditingColourId, juce::Colours::white);
    label.setColour (juce::Label::outlineWhenEditingColourId, juce::Colours::transparentBlack);
    label.setColour (juce::TextEditor::highlightColourId, juce::Colour (0x600000FF));
    label.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    label.setColour (juce::CaretComponent::caretColourId, juce::Colours::black);
}

// The editor of such a label: centred, with no indent of its own, so that short texts such as
// "-12.5" fit the field without scrolling. From the label's editorShown().
inline void fitEditorToField (juce::TextEditor& editor)
{
    editor.setBorder ({});
    editor.setIndents (0, 0);
    editor.setJustification (juce::Justification::centred);
}

} // namespace arx
