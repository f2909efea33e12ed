#pragma once

// The console's dark look: near-black backgrounds, white text, green on-states, glass-lozenge
// buttons, and faders and knobs drawn from the skin images. One instance serves the whole run;
// the application makes it the default look and feel before any window exists.
//
// Threads: message thread only, like all drawing.

#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ConsoleLookAndFeel : public juce::LookAndFeel_V4
{
public:
    ConsoleLookAndFeel();
    ~ConsoleLookAndFeel() override;

    static juce::Colour backgroundColour() { return juce::Colour (15, 15, 15); }
    static juce::Colour buttonOffColour() { return juce::Colour (51, 51, 51).withAlpha ((juce::uint8) 80); }
    static juce::Colour buttonOffTextColour() { return juce::Colours::white.withAlpha ((juce::uint8) 0xD0); }

    // The faces that toggle buttons and the skin's painted button images share.
    static void drawButtonFace (juce::Graphics&, int width, int height, juce::Colour face, juce::Colour text,
                                const juce::String& label);
    static void drawPressedFace (juce::Graphics&, int width, int height, const juce::String& label);

    // Knob filmstrip frame for a proportional position and the knob's rotary angles, kept
    // inside the strip whatever the angles.
    static int knobFrame (float proportion, float startAngle, float endAngle, int frameCount);

    static constexpr int knobFrameHeight = 42;
    static constexpr int knobFrameCount = 39;

    // LookAndFeel overrides
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool isMouseOver, bool isButtonDown) override;
    void drawTextEditorOutline (juce::Graphics&, int width, int height, juce::TextEditor&) override;
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos,
                           float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;
    int getSliderThumbRadius (juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;
    juce::Label* createSliderTextBox (juce::Slider&) override;
    void drawGroupComponentOutline (juce::Graphics&, int width, int height, const juce::String& text,
                                    const juce::Justification&, juce::GroupComponent&) override;
    // A message box that names no window follows the zoom of the active console window.
    juce::AlertWindow* createAlertWindow (const juce::String& title, const juce::String& message,
                                          const juce::String& button1, const juce::String& button2,
                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                          int numButtons, juce::Component* associatedComponent) override;

private:
    SkinArt faderCap, faderTrack, knobStrip;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleLookAndFeel)
};

} // namespace arx
