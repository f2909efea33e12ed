#include "mixer/widgets/Alias.h"

#include "mixer/widgets/LightField.h"

namespace arx
{

Alias::Alias() : juce::Label ("alias", {})
{
    addListener (this);
}

Alias::~Alias()
{
    removeListener (this);
}

void Alias::setUp (juce::Component& parent)
{
    updateText();
    setEditable (true, false, false);
    setJustificationType (juce::Justification::centred);
    styleLightField (*this);
    parent.addAndMakeVisible (this);
}

void Alias::editorShown (juce::Label*, juce::TextEditor& textEditor)
{
    fitEditorToField (textEditor);
}

void Alias::labelTextChanged (juce::Label*)
{
    const auto typed = getText();
    const auto stored = storeName (typed);
    if (stored != typed)
    {
        juce::Logger::outputDebugString ("Console - name \"" + typed + "\" is kept as \"" + stored + "\"");
        setText (stored, juce::dontSendNotification);
    }
}

} // namespace arx
