// The console look and feel, checked on rendered pixels.

#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleSkin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace arx
{
namespace
{
constexpr float pi = juce::MathConstants<float>::pi;
constexpr float knobStart = 1.25f * pi, knobEnd = 2.75f * pi;

int brightness (juce::Colour c)
{
    return juce::jmax (c.getRed(), c.getGreen(), c.getBlue());
}

int maxBrightness (const juce::Image& img, juce::Rectangle<int> area)
{
    int best = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            best = juce::jmax (best, brightness (img.getPixelAt (x, y)));
    return best;
}

class LookTest : public ::testing::Test
{
protected:
    juce::Image drawToggle (juce::ToggleButton& b, bool over, bool down)
    {
        juce::Image img (juce::Image::ARGB, b.getWidth(), b.getHeight(), true);
        juce::Graphics g (img);
        lnf.drawToggleButton (g, b, over, down);
        return img;
    }

    ConsoleLookAndFeel lnf;
};

// A point on the lozenge face, clear of the text and of the outline.
constexpr int faceX = 9, faceY = 13;

TEST_F (LookTest, ToggleFacesFollowStateEnablementAndPress)
{
    juce::ToggleButton b ("Mute");
    b.setLookAndFeel (&lnf);
    b.setSize (60, 25);

    b.setToggleState (true, juce::dontSendNotification);
    const auto on = drawToggle (b, false, false).getPixelAt (faceX, faceY);
    EXPECT_GT (on.getGreen(), on.getRed() + 60) << "the on face is green";
    EXPECT_GT (on.getGreen(), on.getBlue() + 60);

    const auto held = drawToggle (b, false, true).getPixelAt (faceX, faceY);
    EXPECT_LT (held.getGreen(), on.getGreen()) << "holding an on button darkens it";
    EXPECT_GT (held.getGreen(), held.getRed());

    b.setEnabled (false);
    const auto disabledOnImg = drawToggle (b, false, false);
    const auto disabledOn = disabledOnImg.getPixelAt (faceX, faceY);
    EXPECT_NEAR (disabledOn.getRed(), disabledOn.getGreen(), 6) << "a disabled on button is grey";
    EXPECT_NEAR (disabledOn.getGreen(), disabledOn.getBlue(), 6);
    EXPECT_GT (maxBrightness (disabledOnImg, { 15, 5, 30, 15 }), 230) << "its text stays white";

    b.setEnabled (true);
    b.setToggleState (false, juce::dontSendNotification);
    const auto offImg = drawToggle (b, false, false);
    const auto off = offImg.getPixelAt (faceX, faceY);
    EXPECT_LT (brightness (off), brightness (on));
    EXPECT_NEAR (off.getRed(), off.getGreen(), 6) << "the off face is neutral";
    const int offText = maxBrightness (offImg, { 15, 5, 30, 15 });
    EXPECT_GT (offText, 170);

    const auto heldOff = drawToggle (b, false, true).getPixelAt (faceX, faceY);
    EXPECT_NE (heldOff.getARGB(), off.getARGB()) << "holding an off button changes its face";

    b.setEnabled (false);
    const auto disabledOffImg = drawToggle (b, false, false);
    EXPECT_EQ (disabledOffImg.getPixelAt (faceX, faceY).getARGB(), off.getARGB()) << "disabled off keeps its face";
    EXPECT_LT (maxBrightness (disabledOffImg, { 15, 5, 30, 15 }), 100) << "but its text is faint";
    b.setLookAndFeel (nullptr);
}

TEST_F (LookTest, HoverOutlinesTheWholeButtonInEveryState)
{
    juce::ToggleButton b ("Solo");
    b.setLookAndFeel (&lnf);
    b.setSize (46, 19);
    for (bool state : { false, true })
    {
        b.setToggleState (state, juce::dontSendNotification);
        const auto plain = drawToggle (b, false, false);
        EXPECT_EQ (plain.getPixelAt (0, 0), juce::Colour (15, 15, 15));
        EXPECT_EQ (plain.getPixelAt (45, 18), juce::Colour (15, 15, 15));

        const auto hover = drawToggle (b, true, false);
        for (auto p : { juce::Point<int> (0, 0), { 45, 0 }, { 0, 18 }, { 45, 18 }, { 23, 0 }, { 0, 9 } })
            EXPECT_EQ (hover.getPixelAt (p.x, p.y), juce::Colours::white) << "state " << state << " at " << p.toString();
        EXPECT_NE (hover.getPixelAt (2, 9), juce::Colours::white) << "one pixel wide";
    }
    b.setLookAndFeel (nullptr);
}

TEST (KnobFrame, EndsOfTheSweepAndBeyond)
{
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (0.0f, knobStart, knobEnd, 39), 0);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (1.0f, knobStart, knobEnd, 39), 38);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (0.5f, knobStart, knobEnd, 39), 19);

    // Positions or angles outside the sweep stay on the filmstrip.
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (1.5f, knobStart, knobEnd, 39), 38);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (-0.5f, knobStart, knobEnd, 39), 0);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (1.0f, 0.0f, 4.0f * pi, 39), 38);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (0.0f, 0.0f, 2.0f * pi, 39), 0);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (std::numeric_limits<float>::quiet_NaN(), knobStart, knobEnd, 39), 0);
    EXPECT_EQ (ConsoleLookAndFeel::knobFrame (1.0f, knobStart, knobEnd, 0), 0);
}

TEST_F (LookTest, KnobDrawsTheSelectedFilmstripFrame)
{
    const auto strip = ConsoleSkin::loadImage (SkinImage::knobFilmstrip);
    ASSERT_EQ (strip.getHeight(), 39 * 42);
    juce::Slider knob (juce::Slider::Rotary, juce::Slider::NoTextBox);

    for (auto [p, frame] : { std::pair<float, int> { 0.0f, 0 }, { 1.0f, 38 }, { 0.25f, 9 } })
    {
        juce::Image img (juce::Image::ARGB, 44, 59, true);
        {
            juce::Graphics g (img);
            lnf.drawRotarySlider (g, 0, 0, 42, 59, p, knobStart, knobEnd, knob);
        }
        int mismatches = 0;
        for (int y = 0; y < 42; ++y)
            for (int x = 0; x < 42; ++x)
                mismatches += img.getPixelAt (x + 1, y) != strip.getPixelAt (x, frame * 42 + y);
        EXPECT_EQ (mismatches, 0) << "position " << p << " should show frame " << frame;
        EXPECT_EQ (img.getPixelAt (0, 20).getAlpha(), 0) << "the frame is placed one pixel in";
    }
}

TEST_F (LookTest, FaderCapSitsOnTheTrackAtTheSliderPosition)
{
    const auto track = ConsoleSkin::loadImage (SkinImage::faderTrack);
    const auto cap = ConsoleSkin::loadImage (SkinImage::faderCap);
    juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    EXPECT_EQ (lnf.getSliderThumbRadius (fader), cap.getHeight() / 2 - 2);

    for (int pos : { 8, 100, 204 })
    {
        juce::Image img (juce::Image::ARGB, 36, 212, true);
        {
            juce::Graphics g (img);
            lnf.drawLinearSlider (g, 0, 8, 36, 196, float (pos), 8.0f, 204.0f, juce::Slider::LinearVertical, fader);
        }
        const int capTop = pos - cap.getHeight() / 2;
        bool capSeen = false;
        for (int y = 0; y < 212; ++y)
            for (int x = 0; x < track.getWidth(); ++x)
            {
                const bool same = img.getPixelAt (x + 10, y) == track.getPixelAt (x, y);
                if (y < capTop || y >= capTop + cap.getHeight())
                    ASSERT_TRUE (same) << "track only, outside the cap: " << x << "," << y << " pos " << pos;
                else
                    capSeen = capSeen || ! same;
            }
        EXPECT_TRUE (capSeen) << "cap drawn at " << pos;
        EXPECT_EQ (img.getPixelAt (5, 100).getAlpha(), 0) << "nothing left of the track";
    }
}

class GroupOutlineTest : public LookTest
{
protected:
    juce::Image draw (juce::GroupComponent& group)
    {
        juce::Image img (juce::Image::RGB, 200, 100, true);
        juce::Graphics g (img);
        g.fillAll (juce::Colours::black);
        lnf.drawGroupComponentOutline (g, 200, 100, group.getText(), juce::Justification::left, group);
        return img;
    }

    static int topEdge() { return juce::roundToInt (juce::Font (14.0f, juce::Font::bold).getAscent() - 3.0f); }
};

TEST_F (GroupOutlineTest, EmptyTitleLeavesNoGap)
{
    juce::GroupComponent group ("g", "");
    const auto img = draw (group);
    const juce::Rectangle<int> edgeBand (3, topEdge() - 1, 194, 3);
    for (int x = 12; x < 190; ++x)
        EXPECT_GT (maxBrightness (img, { x, edgeBand.getY(), 1, 3 }), 60) << "outline broken at x " << x;
    EXPECT_GT (maxBrightness (img, { 0, 50, 6, 1 }), 60) << "left edge";
    EXPECT_GT (maxBrightness (img, { 194, 50, 6, 1 }), 60) << "right edge";
    EXPECT_GT (maxBrightness (img, { 100, 94, 1, 6 }), 60) << "bottom edge";
}

TEST_F (GroupOutlineTest, TitleOpensAGapAndIsDrawnInGrey)
{
    juce::GroupComponent group ("g", "Clock");
    const auto img = draw (group);
    const juce::Font font (14.0f, juce::Font::bold);
    const int gapStart = 3 + 5 + 4;
    const int gapEnd = gapStart + juce::roundToInt (font.getStringWidthFloat ("Clock") + 8.0f);

    EXPECT_LT (maxBrightness (img, { gapStart + 1, topEdge() - 1, 2, 3 }), 20) << "gap left of the title";
    EXPECT_LT (maxBrightness (img, { gapEnd - 3, topEdge() - 1, 2, 3 }), 20) << "gap right of the title";
    EXPECT_GT (maxBrightness (img, { gapEnd + 3, topEdge() - 1, 1, 3 }), 60) << "outline resumes after the gap";

    const int title = maxBrightness (img, { gapStart, 0, gapEnd - gapStart, 14 });
    EXPECT_NEAR (title, juce::roundToInt (0.7f * 255.0f), 8) << "title in grey 0.7, not white";

    group.setEnabled (false);
    const auto disabled = draw (group);
    int differences = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            differences += disabled.getPixelAt (x, y) != img.getPixelAt (x, y);
    EXPECT_EQ (differences, 0) << "disabled groups look the same";
}

TEST_F (LookTest, HorizontalSliderTextBoxIsWhiteOnConsoleBackground)
{
    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::TextBoxRight);
    juce::Slider vertical (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    std::unique_ptr<juce::Label> h (lnf.createSliderTextBox (horizontal));
    std::unique_ptr<juce::Label> v (lnf.createSliderTextBox (vertical));

    EXPECT_EQ (h->findColour (juce::Label::textColourId), juce::Colours::white);
    EXPECT_EQ (h->findColour (juce::Label::backgroundColourId), juce::Colour (15, 15, 15));
    EXPECT_TRUE (h->getFont().isBold());
    EXPECT_FALSE (v->getFont().isBold());
    EXPECT_NE (v->findColour (juce::Label::backgroundColourId), juce::Colour (15, 15, 15));
}

TEST_F (LookTest, PopupMenuBackgroundHasAWhiteBorder)
{
    juce::Image img (juce::Image::ARGB, 50, 40, true);
    {
        juce::Graphics g (img);
        lnf.drawPopupMenuBackground (g, 50, 40);
    }
    EXPECT_EQ (img.getPixelAt (0, 0), juce::Colours::white);
    EXPECT_EQ (img.getPixelAt (49, 39), juce::Colours::white);
    EXPECT_EQ (img.getPixelAt (25, 20), juce::Colour (15, 15, 15));
}

} // namespace
} // namespace arx
