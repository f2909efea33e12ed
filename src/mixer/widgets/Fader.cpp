#include "mixer/widgets/Fader.h"

#include "console/HardwareThread.h"
#include "mixer/widgets/FaderTextBox.h"
#include "mixer/widgets/GangButton.h"
#include "mixer/widgets/LightField.h"

#include <cmath>

namespace arx
{

Fader::Fader (MixerHost& mixerHost, int bank) : BankedDeviceControl (mixerHost), host (mixerHost), shown (bank, 0.0f)
{
    acceptMessagesFromOtherThreads (*this);
}

Fader::~Fader() = default;

void Fader::setUp (juce::Component& parent)
{
    setSliderStyle (juce::Slider::LinearVertical);
    setRange (minDb, maxDb, stepDb);
    setSkewFactor (skew);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    parent.addAndMakeVisible (this);
}

void Fader::makeTextBox (juce::Component& parent, juce::Rectangle<int> bounds, float fontHeight)
{
    textBox = std::make_unique<FaderTextBox> (*this);
    textBox->setBounds (bounds);
    textBox->setJustificationType (juce::Justification::centred);
    textBox->setEditable (true, false, false);
    styleLightField (*textBox);
    auto font = textBox->getFont().boldened();
    if (fontHeight > 0.0f)
        font = font.withHeight (fontHeight);
    textBox->setFont (font);
    textBox->showValue();
    host.addTextBox (*textBox);
    parent.addAndMakeVisible (*textBox);
}

void Fader::setValueAndText (double dB, juce::NotificationType notification)
{
    setValue (dB, notification);
    noteShown();
    restartFromShownLevel();
    if (textBox != nullptr)
        textBox->showValue();
}

void Fader::restartFromShownLevel() noexcept
{
    // Changes that come without a drag start (the Ctrl reset after the mouse is up, the value
    // interface) measure a partner's move from here, never from a level shown long ago. A level
    // read during a drag leaves the gesture's start alone: the partner follows the drag by the
    // difference it began with.
    if (! inGesture())
        dragStartValue = getValue();
}

bool Fader::inGesture() const noexcept
{
    return dragging || (isGanged() && partner->dragging);
}

void Fader::selectBank (int bank)
{
    auto& state = getThread().getState();
    store (state);
    shown.set (bank, (float) shownLevelFor (stateLevel (state, bank)));
    refresh (state, false);
}

void Fader::showStateLevel()
{
    setValueAndText (stateLevel (getThread().getState(), getBank()), juce::dontSendNotification);
}

void Fader::setGang (GangButton* gangButton, Fader* partnerFader) noexcept
{
    gang = gangButton;
    partner = partnerFader;
}

bool Fader::isGanged() const noexcept
{
    return gang != nullptr && partner != nullptr && gang->getToggleState();
}

void Fader::noteShown() noexcept
{
    shown.setValue ((float) getValue());
}

void Fader::sendEdit()
{
    commitEdit ([this] {
        noteShown();
        markBank (shown.bank());
    });
    if (textBox != nullptr)
        textBox->showValue();
}

//==============================================================================
void Fader::startedDragging()
{
    beginGesture();
    dragging = true;
    dragStartValue = getValue();
    if (isGanged())
        partner->dragStartValue = partner->getValue();
}

void Fader::stoppedDragging()
{
    dragging = false;
    endGesture();
}

void Fader::valueChanged()
{
    sendEdit();

    // The partner keeps the difference it had at the drag start; its own valueChanged does not
    // run, so following never bounces back.
    if (isGanged())
        partner->follow (partner->dragStartValue + (getValue() - dragStartValue));

    // A change outside a drag is a gesture of its own: the next one starts where this ended.
    if (! dragging)
    {
        dragStartValue = getValue();
        if (isGanged())
            partner->dragStartValue = partner->getValue();
    }
}

void Fader::follow (double dB)
{
    setValue (dB, juce::dontSendNotification);
    sendEdit();
}

void Fader::mouseUp (const juce::MouseEvent& e)
{
    juce::Slider::mouseUp (e);
    if (e.mods.isCtrlDown())
        setValue (0.0, juce::sendNotificationSync);
}

//==============================================================================
void Fader::applyTypedText (const juce::String& text)
{
    bool isNumber = false;
    const double dB = parseLevel (text, isNumber);
    if (! isNumber)
    {
        juce::Logger::outputDebugString ("Console - level \"" + text + "\" is not a number, level kept");
        if (textBox != nullptr)
            textBox->showValue();
        return;
    }

    setValue (dB, juce::dontSendNotification);
    sendEdit();
    restartFromShownLevel();
}

juce::String Fader::formatLevel (double dB)
{
    auto text = juce::String::formatted ("%.1f", dB);
    return text == "-0.0" ? juce::String ("0.0") : text;
}

double Fader::shownLevelFor (double dB) noexcept
{
    return juce::NormalisableRange<double> (minDb, maxDb, stepDb).snapToLegalValue (dB);
}

bool Fader::wouldOnlyRound (float stateDb, float shownDb) noexcept
{
    return (float) shownLevelFor (stateDb) == shownDb;
}

double Fader::parseLevel (const juce::String& text, bool& isNumber)
{
    const auto t = text.trimStart();
    auto p = t.getCharPointer();
    if (*p == '+' || *p == '-')
        ++p;
    if (*p == '.')
        ++p;
    isNumber = juce::CharacterFunctions::isDigit (*p);

    const double value = isNumber ? t.getDoubleValue() : 0.0;
    if (! std::isfinite (value))
    {
        isNumber = false;
        return 0.0;
    }
    return value;
}

} // namespace arx
