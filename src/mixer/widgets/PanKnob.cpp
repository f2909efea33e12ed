#include "mixer/widgets/PanKnob.h"

#include "console/HardwareThread.h"
#include "look/ConsoleSkin.h"

#include <cmath>

namespace arx
{

PanKnob::PanKnob (MixerHost& host, juce::Component& parent) : BankedDeviceControl (host)
{
    acceptMessagesFromOtherThreads (*this);
    setName ("pan");

    const auto bounds = host.getSkin().inputPanKnobBounds();
    setBounds (bounds);
    setSliderStyle (juce::Slider::Rotary);
    setTextBoxStyle (juce::Slider::TextBoxBelow, true, bounds.getWidth(), textHeight);
    setRange (0.0, 1.0, 0.0);
    setRotaryParameters (startAngle, endAngle, true);
    parent.addAndMakeVisible (this);
}

void PanKnob::selectBank (int newBank)
{
    auto& state = getThread().getState();
    store (state);
    shownBank = newBank & ~1;
    refresh (state, false);
}

void PanKnob::resetToCentre()
{
    setStateValue (0.5f);
    setValue (0.5, juce::sendNotificationSync);
}

juce::String PanKnob::panText (double pan)
{
    const int t = (int) std::nearbyint (pan * 62.0 - 31.0);
    if (t == 0)
        return "C";
    return t > 0 ? "R " + juce::String (t) : "L " + juce::String (-t);
}

juce::String PanKnob::getTextFromValue (double value)
{
    return panText (value);
}

void PanKnob::valueChanged()
{
    commitEdit ([this] {
        setStateValue ((float) getValue());
        markBank (shownBank.load());
    });
}

void PanKnob::mouseDown (const juce::MouseEvent& e)
{
    if (e.mods.isCtrlDown())
        resetToCentre();
    else
        juce::Slider::mouseDown (e);
}

void PanKnob::mouseDrag (const juce::MouseEvent& e)
{
    if (e.mods.isCtrlDown())
        resetToCentre();
    else
        juce::Slider::mouseDrag (e);
}

void PanKnob::lookAndFeelChanged()
{
    juce::Slider::lookAndFeelChanged();
    for (auto* child : getChildren())
        if (auto* text = dynamic_cast<juce::Label*> (child))
            text->setFont (juce::Font ((float) textHeight, juce::Font::bold));
}

void PanKnob::handleCommandMessage (int)
{
    setValue (stateValue(), juce::dontSendNotification);
}

} // namespace arx
