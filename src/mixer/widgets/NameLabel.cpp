#include "mixer/widgets/NameLabel.h"

#include "console/DeviceControl.h"
#include "mixer/widgets/LightField.h"

namespace arx
{

NameLabel::NameLabel() : juce::Label ("alias", {})
{
    addListener (this);
}

NameLabel::~NameLabel()
{
    removeListener (this);
}

void NameLabel::setUp (juce::Component& parent)
{
    updateText();
    setEditable (true, false, false);
    setJustificationType (juce::Justification::centred);
    styleLightField (*this);
    parent.addAndMakeVisible (this);
}

void NameLabel::editorShown (juce::Label*, juce::TextEditor& textEditor)
{
    fitEditorToField (textEditor);
}

void NameLabel::labelTextChanged (juce::Label*)
{
    const auto typed = getText();
    juce::String stored;
    const auto change = [&] { stored = storeName (typed); };
    if (auto* host = findParentComponentOfClass<DeviceControlHost>())
        host->editState (change);
    else
        change();
    if (stored != typed)
    {
        juce::Logger::outputDebugString ("Console - name \"" + typed + "\" is kept as \"" + stored + "\"");
        setText (stored, juce::dontSendNotification);
    }
}

} // namespace arx
