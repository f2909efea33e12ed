// The flash progress window: its progress rule, placement and drawing, without a display.

#include "firmware/FlashProgressWindow.h"

#include <gtest/gtest.h>

namespace arx
{
namespace
{

TEST (FlashProgressWindow, SmallStepsAreSwallowedUntilTheMinimumStepIsReached)
{
    FlashProgressWindow window (nullptr, false, false);
    EXPECT_EQ (window.getTitle(), "Flash update");
    EXPECT_FLOAT_EQ (window.getMinimumStep(), 0.05f);

    window.setProgress (0.04f);
    EXPECT_FLOAT_EQ (window.getProgress(), 0.0f);
    window.setProgress (0.05f);
    EXPECT_FLOAT_EQ (window.getProgress(), 0.05f);

    // The write-back's rule: 1/55 per block, shown only in steps of 0.2.
    window.setMinimumStep (0.2f);
    float value = 0.05f;
    int moves = 0;
    for (int block = 0; block < 53; ++block)
    {
        const float shown = window.getProgress();
        value += 1.0f / 55.0f;
        window.setProgress (value);
        if (window.getProgress() != shown)
        {
            ++moves;
            EXPECT_GE (window.getProgress() - shown, 0.2f);
        }
    }
    EXPECT_EQ (moves, 4);

    window.setProgress (0.1f); // backwards is never a step
    EXPECT_GT (window.getProgress(), 0.8f);

    window.setMinimumStep (0.0f);
    window.setProgress (1.0f);
    EXPECT_FLOAT_EQ (window.getProgress(), 1.0f);

    window.resetProgress();
    EXPECT_FLOAT_EQ (window.getProgress(), 0.0f);
}

TEST (FlashProgressWindow, SitsOverTheMiddleOfItsParentAndCarriesTheWarning)
{
    juce::Component parent;
    parent.setBounds (100, 50, 801, 601);
    FlashProgressWindow window (&parent, true, false);

    EXPECT_EQ (window.getBounds(), juce::Rectangle<int> (100 + 400 - 175, 50 + 300 - 90, 350, 180));
    EXPECT_TRUE (window.isOpaque());

    juce::Label* warning = nullptr;
    for (auto* child : window.getChildren())
        if (child->getName() == "warning")
            warning = dynamic_cast<juce::Label*> (child);
    ASSERT_NE (warning, nullptr);
    EXPECT_EQ (warning->getText(), "Please do not turn off or disconnect your ARX.");
    EXPECT_EQ (warning->getBounds(), juce::Rectangle<int> (35, 40, 280, 20));
    EXPECT_TRUE (warning->getFont().isBold());

    FlashProgressWindow plain (nullptr, false, false);
    EXPECT_EQ (plain.getNumChildComponents(), 0);
}

TEST (FlashProgressWindow, BarIsFilledInProportionToTheProgress)
{
    FlashProgressWindow window (nullptr, false, false);
    auto& lf = window.getLookAndFeel();
    const auto background = lf.findColour (juce::AlertWindow::backgroundColourId);
    const auto outline = lf.findColour (juce::AlertWindow::outlineColourId);
    const auto frame = lf.findColour (juce::ProgressBar::foregroundColourId);

    // Bar: 280 wide at x 35, y 85..106; the lozenge starts at 36 and is 278 wide when full.
    const int probeY = 88;
    auto snapshot = [&] { return window.createComponentSnapshot (window.getLocalBounds(), true, 1.0f); };

    auto empty = snapshot();
    EXPECT_EQ (empty.getPixelAt (5, 5), background);
    EXPECT_EQ (empty.getPixelAt (1, 100), outline);
    EXPECT_EQ (empty.getPixelAt (35, 95), frame);
    EXPECT_EQ (empty.getPixelAt (40, probeY), background);

    window.setMinimumStep (0.0f);
    window.setProgress (0.5f);
    auto half = snapshot();
    EXPECT_NE (half.getPixelAt (40, probeY), background);           // inside the filled half
    EXPECT_NE (half.getPixelAt (36 + 130, probeY), background);
    EXPECT_EQ (half.getPixelAt (36 + 139 + 20, probeY), background); // past it

    window.setProgress (1.0f);
    auto full = snapshot();
    EXPECT_NE (full.getPixelAt (36 + 270, probeY), background);
    EXPECT_EQ (full.getPixelAt (36 + 278 + 3, probeY), background); // never past the frame
}

TEST (FlashProgressWindow, TextsAreDrawnWhereTheyBelong)
{
    FlashProgressWindow window (nullptr, false, false);
    const auto background = window.getLookAndFeel().findColour (juce::AlertWindow::backgroundColourId);

    auto inkIn = [&] (const juce::Image& image, juce::Rectangle<int> area) {
        int ink = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                ink += image.getPixelAt (x, y) != background ? 1 : 0;
        return ink;
    };

    window.setTitle ({});
    auto blank = window.createComponentSnapshot (window.getLocalBounds(), true, 1.0f);
    EXPECT_EQ (inkIn (blank, { 35, 15, 280, 30 }), 0);
    EXPECT_EQ (inkIn (blank, { 35, 125, 280, 35 }), 0);

    window.setTitle ("Saving session");
    window.setDescription ("ARX-1");
    window.setStatus ("writing...");
    auto drawn = window.createComponentSnapshot (window.getLocalBounds(), true, 1.0f);
    EXPECT_GT (inkIn (drawn, { 35, 15, 280, 30 }), 0);
    EXPECT_GT (inkIn (drawn, { 35, 125, 280, 35 }), 0);
    EXPECT_GT (inkIn (drawn, { 40, 88, 270, 16 }), 0); // the status, inside the empty bar
    EXPECT_EQ (window.getStatus(), "writing...");
    EXPECT_EQ (window.getDescription(), "ARX-1");
}

} // namespace
} // namespace arx
