#include "look/ConsoleLookAndFeel.h"

#include "look/ConsoleSkin.h"
#include "look/ConsoleZoom.h"

#include <cmath>

namespace arx
{

namespace
{
constexpr float pi = juce::MathConstants<float>::pi;

juce::Colour grey (float level)
{
    return juce::Colour::greyLevel (level);
}
} // namespace

ConsoleLookAndFeel::ConsoleLookAndFeel()
{
    using juce::Colour;
    namespace Colours = juce::Colours;
    const auto background = backgroundColour();

    setColour (juce::Slider::backgroundColourId, Colours::transparentBlack);
    setColour (juce::Slider::textBoxTextColourId, Colours::black);
    setColour (juce::Slider::textBoxBackgroundColourId, Colours::transparentBlack);
    setColour (juce::Slider::textBoxHighlightColourId, Colour (0xFF0000FF));
    setColour (juce::Slider::textBoxOutlineColourId, Colours::transparentBlack);
    setColour (juce::TextEditor::textColourId, Colours::black);
    setColour (juce::AlertWindow::backgroundColourId, background);
    setColour (juce::AlertWindow::textColourId, Colours::white);
    setColour (juce::AlertWindow::outlineColourId, Colours::white);
    setColour (juce::TextButton::buttonColourId, buttonOffColour());
    setColour (juce::TextButton::buttonOnColourId, Colour (0, 200, 0).withAlpha (0.8f));
    setColour (juce::TextButton::textColourOffId, Colours::white);
    setColour (juce::ProgressBar::foregroundColourId, Colour (0, 255, 0).withAlpha (0.5f));
    setColour (juce::Label::textColourId, Colours::white);
    setColour (juce::ComboBox::backgroundColourId, Colours::black);
    setColour (juce::ComboBox::textColourId, Colours::white);
    setColour (juce::ComboBox::outlineColourId, Colour (0, 150, 0));
    setColour (juce::ComboBox::buttonColourId, Colour (0, 150, 0));
    setColour (juce::PopupMenu::backgroundColourId, background);
    setColour (juce::PopupMenu::textColourId, Colours::white);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, Colours::white);
    setColour (juce::PopupMenu::highlightedTextColourId, background);

    faderCap = SkinArt (SkinImage::faderCap);
    faderTrack = SkinArt (SkinImage::faderTrack);
    knobStrip = SkinArt (SkinImage::knobFilmstrip);
}

ConsoleLookAndFeel::~ConsoleLookAndFeel() = default;

void ConsoleLookAndFeel::drawButtonFace (juce::Graphics& g, int width, int height, juce::Colour face, juce::Colour text,
                                         const juce::String& label)
{
    g.fillAll (backgroundColour());
    drawGlassLozenge (g, 5.0f, 2.0f, float (width - 10), float (height - 4), face, 1.0f, 6.0f, false, false, false, false);
    g.setColour (text);
    g.setFont (juce::Font (float (height + 1) * 0.5f, juce::Font::bold));
    g.drawFittedText (label, 5, 2, width - 10, height - 4, juce::Justification::centred, 1, 0.7f);
}

void ConsoleLookAndFeel::drawPressedFace (juce::Graphics& g, int width, int height, const juce::String& label)
{
    g.fillAll (backgroundColour());
    drawGlassLozenge (g, 5.0f, 2.0f, float (width - 10), float (height - 4),
                      juce::Colour (51, 51, 51).withAlpha ((juce::uint8) 60), 2.0f, 8.0f, false, false, false, false);
    g.setColour (juce::Colours::white.withAlpha (0.5f));
    g.setFont (juce::Font (float (height + 1) * 0.5f, juce::Font::plain));
    g.drawFittedText (label, 5, 2, width - 10, height - 4, juce::Justification::centred, 1, 0.7f);
}

int ConsoleLookAndFeel::knobFrame (float proportion, float startAngle, float endAngle, int frameCount)
{
    if (frameCount <= 0)
        return 0;
    const double t = (double (endAngle - startAngle) * proportion + startAngle - 1.25 * pi) / (1.5 * pi);
    if (! std::isfinite (t))
        return 0;
    const long steps = std::lround (juce::jlimit (-1.0, 2.0, t) * (frameCount - 1) * knobFrameHeight);
    return juce::jlimit (0, frameCount - 1, int (steps / knobFrameHeight));
}

void ConsoleLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool isMouseOver,
                                           bool isButtonDown)
{
    const int w = button.getWidth(), h = button.getHeight();
    const bool enabled = button.isEnabled();

    if (button.getToggleState())
    {
        auto face = button.findColour (juce::TextButton::buttonOnColourId);
        if (! enabled)
            face = juce::Colour (0xFF808080);
        if (isButtonDown)
            face = face.darker (0.4f);
        drawButtonFace (g, w, h, face, juce::Colours::white, button.getButtonText());
    }
    else
    {
        auto face = button.findColour (juce::TextButton::buttonColourId);
        if (isButtonDown)
            face = face.withAlpha ((juce::uint8) 30);
        const auto text = juce::Colours::white.withAlpha (enabled ? (juce::uint8) 0xD0 : (juce::uint8) 64);
        drawButtonFace (g, w, h, face, text, button.getButtonText());
    }

    if (isMouseOver)
    {
        g.setColour (juce::Colours::white);
        g.drawRect (0, 0, w, h, 1);
    }
}

void ConsoleLookAndFeel::drawTextEditorOutline (juce::Graphics&, int, int, juce::TextEditor&) {}

void ConsoleLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.fillAll (backgroundColour());
    g.setColour (juce::Colours::white);
    g.drawRect (0, 0, width, height, 1);
}

juce::Font ConsoleLookAndFeel::getPopupMenuFont()
{
    return juce::Font (12.0f, juce::Font::bold);
}

juce::Font ConsoleLookAndFeel::getComboBoxFont (juce::ComboBox& box)
{
    const auto f = LookAndFeel_V4::getComboBoxFont (box);
    return f.boldened().withHeight (f.getHeight() * 0.9f);
}

void ConsoleLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                           float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                                           juce::Slider& slider)
{
    if (style != juce::Slider::LinearVertical)
    {
        LookAndFeel_V4::drawLinearSlider (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
        return;
    }
    faderTrack.drawAt (g, 10, 0);
    faderCap.drawAt (g, x + 10, juce::roundToInt (sliderPos) - faderCap.getHeight() / 2);
}

int ConsoleLookAndFeel::getSliderThumbRadius (juce::Slider& slider)
{
    // Without a cap image the default keeps the slider usable.
    if (faderCap.getHeight() < 4)
        return LookAndFeel_V4::getSliderThumbRadius (slider);
    return faderCap.getHeight() / 2 - 2;
}

void ConsoleLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int, int, float sliderPosProportional,
                                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&)
{
    const int frames = knobStrip.getHeight() / knobFrameHeight;
    if (frames == 0)
        return;
    const int frame = knobFrame (sliderPosProportional, rotaryStartAngle, rotaryEndAngle, frames);
    const int w = knobStrip.getWidth();
    knobStrip.draw (g, { x + 1, y, w, knobFrameHeight }, { 0, frame * knobFrameHeight, w, knobFrameHeight });
}

juce::Label* ConsoleLookAndFeel::createSliderTextBox (juce::Slider& slider)
{
    auto* label = LookAndFeel_V4::createSliderTextBox (slider);
    if (slider.isHorizontal())
    {
        label->setColour (juce::Label::textColourId, juce::Colours::white);
        label->setColour (juce::Label::backgroundColourId, backgroundColour());
        label->setFont (label->getFont().boldened());
    }
    return label;
}

void ConsoleLookAndFeel::drawGroupComponentOutline (juce::Graphics& g, int width, int height, const juce::String& text,
                                                    const juce::Justification&, juce::GroupComponent&)
{
    const juce::Font font (14.0f, juce::Font::bold);
    const float x = 3.0f;
    const float y = font.getAscent() - 3.0f;
    const float w = juce::jmax (0.0f, float (width) - 6.0f);
    const float h = juce::jmax (0.0f, float (height) - y - 3.0f);
    const float cs = juce::jmin (5.0f, w * 0.5f, h * 0.5f);
    const float cs2 = 2.0f * cs;

    float textW = 0.0f;
    if (text.isNotEmpty())
        textW = juce::jlimit (0.0f, juce::jmax (0.0f, w - cs2 - 8.0f), font.getStringWidthFloat (text) + 8.0f);
    const float textX = cs + 4.0f;

    // One path, clockwise from the end of the title gap back to its start.
    juce::Path p;
    p.startNewSubPath (x + textX + textW, y);
    p.lineTo (x + w - cs, y);
    p.addArc (x + w - cs2, y, cs2, cs2, 0.0f, pi * 0.5f);
    p.lineTo (x + w, y + h - cs);
    p.addArc (x + w - cs2, y + h - cs2, cs2, cs2, pi * 0.5f, pi);
    p.lineTo (x + cs, y + h);
    p.addArc (x, y + h - cs2, cs2, cs2, pi, pi * 1.5f);
    p.lineTo (x, y + cs);
    p.addArc (x, y, cs2, cs2, pi * 1.5f, pi * 2.0f);
    p.lineTo (x + textX, y);

    g.setColour (grey (0.65f));
    g.strokePath (p, juce::PathStrokeType (1.0f));

    g.setColour (grey (0.7f));
    g.setFont (font);
    g.drawText (text, juce::roundToInt (x + textX), 0, juce::roundToInt (textW), 14, juce::Justification::centred, true);
}

juce::AlertWindow* ConsoleLookAndFeel::createAlertWindow (const juce::String& title, const juce::String& message,
                                                          const juce::String& button1, const juce::String& button2,
                                                          const juce::String& button3, juce::MessageBoxIconType iconType,
                                                          int numButtons, juce::Component* associatedComponent)
{
    // At 100% it stays where it always stood, over the middle of the screen.
    if (associatedComponent == nullptr)
        if (auto* zoomed = ConsoleZoom::zoomedContent (juce::TopLevelWindow::getActiveTopLevelWindow()))
            if (ConsoleZoom::scaleOf (zoomed) != 1.0f)
                associatedComponent = zoomed;
    return LookAndFeel_V4::createAlertWindow (title, message, button1, button2, button3, iconType, numButtons,
                                              associatedComponent);
}

} // namespace arx
