#include "remote/PortField.h"

namespace arx
{

PortField::PortField (const juce::String& componentName) : juce::Label (componentName)
{
    setEditable (true, true, false);
    setJustificationType (juce::Justification::centredLeft);
    // A light box with dark figures, like the strips' value boxes, on the page's dark ground.
    setColour (backgroundColourId, juce::Colour (0xffe4e0d4));
    setColour (textColourId, juce::Colours::black);
    setColour (outlineColourId, juce::Colours::grey);
    setColour (backgroundWhenEditingColourId, juce::Colours::white);
    setColour (textWhenEditingColourId, juce::Colours::black);
    setColour (outlineWhenEditingColourId, juce::Colours::grey);
    setColour (juce::TextEditor::highlightColourId, juce::Colour (0x600000ff));
    setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    setColour (juce::CaretComponent::caretColourId, juce::Colours::black);
}

int PortField::getPort() const
{
    const auto port = getText().getIntValue();
    return port > 0 && port < 65536 ? port : 0;
}

void PortField::showPort (int port)
{
    if (! isBeingEdited())
        setText (juce::String (port), juce::dontSendNotification);
}

juce::TextEditor* PortField::createEditorComponent()
{
    auto* editor = juce::Label::createEditorComponent();
    editor->setInputRestrictions (5, "0123456789");
    return editor;
}

void PortField::textWasEdited()
{
    if (onCommit)
        onCommit();
}

} // namespace arx
