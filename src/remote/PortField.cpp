#include "remote/PortField.h"

namespace arx
{

PortField::PortField (const juce::String& componentName) : juce::Label (componentName)
{
    setEditable (true, true, false);
    setJustificationType (juce::Justification::centredLeft);
    setColour (backgroundColourId, findColour (juce::TextEditor::backgroundColourId));
    setColour (outlineColourId, findColour (juce::TextEditor::outlineColourId));
    setColour (textColourId, findColour (juce::TextEditor::textColourId));
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
