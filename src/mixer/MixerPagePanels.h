#pragma once

#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ConsoleSkin;

// The logo at the top right of the mixer page, "logo box".
//
// Threads: message thread only.
class LogoBox : public juce::Component
{
public:
    // In the skin's place in `page`.
    LogoBox (const ConsoleSkin& skin, juce::Component& page);

    void paint (juce::Graphics&) override;

private:
    SkinArt logo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LogoBox)
};

// A dark filler between the fixed panels of the mixer page.
class Spacer : public juce::Component
{
public:
    static juce::Colour colour() { return { 15, 15, 15 }; }

    Spacer (juce::Rectangle<int> bounds, juce::Component& parent);

    void paint (juce::Graphics&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Spacer)
};

} // namespace arx
