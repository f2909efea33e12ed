// Meters, activity lights and the solo warning: what they show for the device's levels and
// flags, what they repaint, and how the warning blinks.

#include "look/ConsoleSkin.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/ActivityLight.h"
#include "mixer/widgets/SoloWarning.h"
#include "mixer/widgets/LevelMeter.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace arx::test
{
namespace
{

// What the components inside a component ask to repaint, in its coordinates: the requests
// reach it through the component tree as they would reach a window's image cache.
struct RepaintRecorder : public juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override
    {
        areas.push_back ({ 0, 0, 1 << 20, 1 << 20 });
        return false;
    }
    bool invalidate (const juce::Rectangle<int>& area) override
    {
        areas.push_back (area);
        return false;
    }
    void releaseResources() override {}

    // The areas asked for since the last call.
    std::vector<juce::Rectangle<int>> take() { return std::exchange (areas, {}); }

    std::vector<juce::Rectangle<int>> areas;
};

struct MeterRig
{
    MeterRig()
    {
        parent.setBounds (0, 0, 20, 200);
        parent.setVisible (true);
        parent.setCachedComponentImage (repaints); // the parent owns it
        m.setBounds (0, 0, lit.getWidth(), lit.getHeight());
        m.setImages (SkinArt (lit, {}), SkinArt (unlit, {}));
        m.setUp (parent);
        repaints->take();
    }

    using Areas = std::vector<juce::Rectangle<int>>;

    // Paints the meter as the window would, clipped to `area`, into `canvas`.
    void paint (juce::Rectangle<int> area)
    {
        juce::Graphics g (canvas);
        g.reduceClipRegion (area);
        m.paintEntireComponent (g, false);
    }

    // Which image the canvas shows in the nearest row from y (walking by `step`) where the two
    // images differ (the gaps between the segments look alike): 1 lit, 0 unlit, -1 neither.
    int shownNear (int y, int step) const
    {
        for (; y >= 0 && y < lit.getHeight(); y += step)
        {
            bool isLit = true, isUnlit = true;
            for (int x = 0; x < lit.getWidth(); ++x)
            {
                isLit = isLit && canvas.getPixelAt (x, y) == lit.getPixelAt (x, y);
                isUnlit = isUnlit && canvas.getPixelAt (x, y) == unlit.getPixelAt (x, y);
            }
            if (isLit != isUnlit)
                return isLit ? 1 : 0;
            if (! isLit)
                return -1;
        }
        return -1;
    }
    int shownAbove (int row) const { return shownNear (row - 1, -1); }
    int shownFrom (int row) const { return shownNear (row, 1); }

    juce::Image lit = ConsoleSkin::loadImage (SkinImage::meterLit);
    juce::Image unlit = ConsoleSkin::loadImage (SkinImage::meterUnlit);
    RepaintRecorder* repaints = new RepaintRecorder;
    juce::Component parent;
    LevelMeter m;
    juce::Image canvas { juce::Image::RGB, 10, 192, true };
};

TEST (Meter, LevelsMapToTheScaleAndFullScaleCoversEverythingAbove)
{
    struct Case
    {
        uint32_t level;
        int top;
    };
    for (const auto& c : { Case { 0x7FFFFFFF, 0 }, Case { 1u << 30, 36 }, Case { 1, 191 }, Case { 0, 191 },
                           Case { 0x80000000, 0 }, Case { 0xFFFFFFFF, 0 }, Case { 536870912, 72 } /* -12 dB */ })
        EXPECT_EQ (LevelMeter::topRowFor (-LevelMeter::levelToDb (c.level), LevelMeter::scaleRows), c.top) << c.level;

    EXPECT_EQ (LevelMeter::levelToDb (0xFFFFFFFF), 0) << "bit 31 set is beyond full scale, shown as full scale";

    // The steps of the scale: 2 rows between -24 and -25, 4 between -41 and -42, one row from -72.
    EXPECT_EQ (LevelMeter::topRowFor (24, 192) - LevelMeter::topRowFor (25, 192), -2);
    EXPECT_EQ (LevelMeter::topRowFor (42, 192) - LevelMeter::topRowFor (41, 192), 4);
    EXPECT_EQ (LevelMeter::topRowFor (71, 192), 189);
    EXPECT_EQ (LevelMeter::topRowFor (72, 192), 191);
    EXPECT_EQ (LevelMeter::topRowFor (128, 192), 191);

    // Rounding to the nearest whole dB: just above -6.5 dB is -6, just below is -7.
    EXPECT_EQ (LevelMeter::levelToDb (1016100000u), -6);
    EXPECT_EQ (LevelMeter::levelToDb (1016070000u), -7);
}

TEST (Meter, RepaintsOnlyTheBandThatMovedAndDrawsBothImages)
{
    MeterRig rig;
    EXPECT_EQ (rig.m.getLevelTop(), 192); // nothing lit until a level comes
    rig.paint (rig.m.getLocalBounds());
    EXPECT_EQ (rig.shownFrom (0), 0);
    EXPECT_EQ (rig.shownAbove (192), 0);

    EXPECT_EQ (rig.m.setLevel (1u << 30), juce::Rectangle<int> (0, 36, 10, 156));
    EXPECT_EQ (rig.repaints->take(), (MeterRig::Areas { { 0, 36, 10, 156 } }));
    rig.paint ({ 0, 36, 10, 156 });
    EXPECT_EQ (rig.shownAbove (36), 0);
    EXPECT_EQ (rig.shownFrom (36), 1);
    EXPECT_EQ (rig.shownAbove (192), 1);

    // The same level again costs nothing; a lower one repaints the band in between, at once.
    EXPECT_TRUE (rig.m.setLevel (1u << 30).isEmpty());
    EXPECT_EQ (rig.repaints->take(), MeterRig::Areas {});
    EXPECT_EQ (rig.m.setLevel (536870912u), juce::Rectangle<int> (0, 36, 10, 36));
    EXPECT_EQ (rig.repaints->take(), (MeterRig::Areas { { 0, 36, 10, 36 } }));
    rig.paint ({ 0, 36, 10, 36 });
    EXPECT_EQ (rig.shownAbove (72), 0);
    EXPECT_EQ (rig.shownFrom (72), 1);
    EXPECT_EQ (rig.m.getDrawnTop(), 72);

    // Two levels before the next paint: the band reaches from what is drawn.
    rig.m.setLevel (1u << 30);
    EXPECT_EQ (rig.m.setLevel (0x7FFFFFFF), juce::Rectangle<int> (0, 0, 10, 72));
    EXPECT_EQ (rig.repaints->take(), (MeterRig::Areas { { 0, 36, 10, 36 }, { 0, 0, 10, 72 } }));
}

TEST (ActivityLight, FramesChangeAtTheThresholdsAndIgnoreBit31)
{
    struct Case
    {
        uint32_t level;
        int frame;
    };
    for (const auto& c : { Case { 0, 0 }, Case { (1u << 24) - 1, 0 }, Case { 1u << 24, 1 }, Case { 31u << 24, 1 },
                           Case { 32u << 24, 2 }, Case { 1u << 29, 2 }, Case { 89u << 24, 2 }, Case { 90u << 24, 3 },
                           Case { 0x7FFFFFFF, 3 }, Case { 0x80000000, 0 }, Case { 0x80000000 | (1u << 29), 2 } })
        EXPECT_EQ (ActivityLight::frameFor (c.level), c.frame) << c.level;

    // It draws its frame's cell of the shared filmstrip, scaled to its bounds.
    ActivityLight light;
    light.setBounds (0, 0, 5, 5);
    light.setLevel (90u << 24);
    EXPECT_EQ (light.getFrame(), 3);
    const auto strip = ConsoleSkin::loadImage (SkinImage::activityLights);
    const auto shot = light.createComponentSnapshot (light.getLocalBounds());
    EXPECT_EQ (shot.getPixelAt (2, 2).getARGB(), strip.getPixelAt (3 * 5 + 2, 2).getARGB());
}

TEST (SoloWarning, BlinksHalfASecondOnAndOffAndGoesDarkWithTheLastSolo)
{
    WindowRig rig;
    auto& warning = *rig.content().getSoloWarning();
    auto& solo = rig.content().getInputStrips()->getStrip (3)->getSolo();

    // No solo: ticks change nothing.
    for (int i = 0; i < 3; ++i)
        rig.content().pollNow();
    EXPECT_EQ (warning.getBlinkPhase(), 0);
    EXPECT_FALSE (warning.isLampLit());

    // A click: the hardware thread sends it and the warning counts again from there.
    solo.setToggleState (true, juce::sendNotification);
    ASSERT_TRUE (pumpUntil ([&] { return warning.getSoloCount() == 2; })); // both outputs of the pair

    std::string blink;
    for (int i = 0; i < 20; ++i)
    {
        warning.tick();
        blink += warning.isLampLit() ? '#' : '.';
    }
    EXPECT_EQ (blink, "....#####.....#####.");

    // The last solo goes: dark at once, not at the end of the blink.
    for (int i = 0; i < 10 && ! warning.isLampLit(); ++i)
        warning.tick();
    ASSERT_TRUE (warning.isLampLit());
    solo.setToggleState (false, juce::sendNotification);
    ASSERT_TRUE (pumpUntil ([&] { return warning.getSoloCount() == 0; }));
    EXPECT_FALSE (warning.isLampLit());

    const auto shot = warning.createComponentSnapshot (warning.getLocalBounds());
    const auto& panel = rig.window->getSkin().warningPanelImage();
    EXPECT_EQ (shot.getPixelAt (12, 10).getARGB(), panel.image().getPixelAt (12, 10).getARGB());

    // Left to itself the lamp blinks while a solo is on: it lights and goes dark again.
    solo.setToggleState (true, juce::sendNotification);
    ASSERT_TRUE (pumpUntil ([&] { return warning.isLampLit(); }));
    ASSERT_TRUE (pumpUntil ([&] { return ! warning.isLampLit(); }));
    solo.setToggleState (false, juce::sendNotification);
    ASSERT_TRUE (pumpUntil ([&] { return warning.getSoloCount() == 0; }));
}

} // namespace
} // namespace arx::test
