// The tab bar on its own: its tabs' texts, places and lights for devices of several output
// layouts, the compact layout, clicks, and what it draws. The mixer page behind it is in
// test_mixer_page.cpp.

#include "device/HardwareInfo.h"
#include "mixer/ConsoleTabBar.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

// Records the pages the bar asks for and hands it levels per output.
class RecordingHost : public TabBarHost
{
public:
    void selectPage (int bank) override { pages.push_back (bank); }
    uint32_t outputLevel (int output) const override { return levels.count (output) ? levels.at (output) : 0u; }

    std::vector<int> pages;
    std::map<int, uint32_t> levels;
};

HardwareInfo infoWithOutputs (std::vector<sim::SimChannelGroup> groups)
{
    const auto block = hwinfoWith ([&] (sim::SimProfile& p) { p.outputGroups = groups; });
    HardwareInfo info;
    EXPECT_TRUE (info.decode (block.getData(), block.getSize()));
    return info;
}

struct BarRig
{
    BarRig (std::vector<sim::SimChannelGroup> groups, int width)
        : info (infoWithOutputs (std::move (groups))), bar (host, &info, width)
    {
    }

    std::vector<juce::String> texts (bool shown) const
    {
        std::vector<juce::String> result;
        for (int i = 0; i < bar.getNumTabs(); ++i)
        {
            const auto& tab = bar.getTab (i);
            result.push_back (! shown || i == bar.getSelectedIndex() ? tab.longText : tab.shortText);
        }
        return result;
    }

    std::vector<std::pair<int, int>> places() const
    {
        std::vector<std::pair<int, int>> result;
        for (int i = 0; i < bar.getNumTabs(); ++i)
            result.emplace_back (bar.getTab (i).x, bar.getTab (i).width);
        return result;
    }

    void release (int x, int y = 15)
    {
        bar.mouseUp (mouseAt (bar, { (float) x, (float) y }));
    }

    RecordingHost host;
    HardwareInfo info;
    ConsoleTabBar bar;
};

using Texts = std::vector<juce::String>;
using Places = std::vector<std::pair<int, int>>;

TEST (TabBar, EightOutputsAt600PixelsShareTheWidthWithTheirLongNames)
{
    BarRig rig ({ { 0, 4 }, { 5, 2 }, { 1, 2 } }, 600);
    auto& bar = rig.bar;
    EXPECT_EQ (bar.getName(), "top tab bar");
    EXPECT_EQ (bar.getBounds(), juce::Rectangle<int> (0, 0, 600, 30));
    EXPECT_FALSE (bar.isCompact());

    // (600 - 86) / 4 = 128 each; headphones carry no " OUT", a group of two no range.
    EXPECT_EQ (rig.texts (false), (Texts { "ANALOG 1-2 OUT", "ANALOG 3-4 OUT", "HEADPHONES", "S/PDIF OUT", "SETTINGS" }));
    EXPECT_EQ (rig.texts (true), rig.texts (false));
    EXPECT_EQ (rig.places(), (Places { { 3, 128 }, { 131, 128 }, { 259, 128 }, { 387, 128 }, { 515, 80 } }));
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ (bar.getTab (t).textOffset, -16);
    EXPECT_EQ (bar.getTab (4).textOffset, 0);

    // Two 5-pixel lights at the right end of every pair tab, one pixel apart.
    ASSERT_EQ (bar.getNumLights(), 8);
    EXPECT_EQ (bar.getLight (0).getBounds(), juce::Rectangle<int> (3 + 128 - 16, 13, 5, 5));
    EXPECT_EQ (bar.getLight (1).getBounds(), juce::Rectangle<int> (3 + 128 - 10, 13, 5, 5));
    EXPECT_EQ (bar.getLight (7).getBounds(), juce::Rectangle<int> (387 + 128 - 10, 13, 5, 5));

    // A wide window does not make wider tabs than 140.
    BarRig wide ({ { 0, 4 }, { 5, 2 }, { 1, 2 } }, 1200);
    EXPECT_EQ (wide.bar.getTab (1).x, 143);
    EXPECT_EQ (wide.bar.getTab (4).x, 3 + 4 * 140);
}

TEST (TabBar, TwelveOutputsAt500PixelsAreCompactAndOnlyTheSelectedTabIsWide)
{
    BarRig rig ({ { 0, 8 }, { 5, 2 }, { 1, 2 } }, 500);
    auto& bar = rig.bar;
    ASSERT_TRUE (bar.isCompact()); // (500 - 86) / 6 = 69
    EXPECT_EQ (rig.texts (true), (Texts { "ANALOG 1-2 OUT", "A 3-4", "A 5-6", "A 7-8", "H", "S", "SETTINGS" }));
    EXPECT_EQ (rig.places(), (Places { { 3, 130 }, { 133, 60 }, { 193, 60 }, { 253, 60 }, { 313, 60 }, { 373, 60 }, { 433, 80 } }));

    // The headphones tab chosen: it takes the width, the others close up around it.
    rig.release (330);
    EXPECT_EQ (rig.host.pages, (std::vector<int> { 8 }));
    EXPECT_EQ (bar.currentTab(), 4);
    EXPECT_EQ (rig.texts (true), (Texts { "A 1-2", "A 3-4", "A 5-6", "A 7-8", "HEADPHONES", "S", "SETTINGS" }));
    EXPECT_EQ (rig.places(), (Places { { 3, 60 }, { 63, 60 }, { 123, 60 }, { 183, 60 }, { 243, 130 }, { 373, 60 }, { 433, 80 } }));
    // The lights move with their tabs.
    EXPECT_EQ (bar.getLight (0).getX(), 3 + 60 - 16);
    EXPECT_EQ (bar.getLight (8).getX(), 243 + 130 - 16);
    EXPECT_EQ (bar.getLight (11).getX(), 373 + 60 - 10);
}

TEST (TabBar, ASingleStereoGroupIsOneOutputsTab)
{
    BarRig rig ({ { 0, 2 } }, 923);
    EXPECT_EQ (rig.texts (false), (Texts { "OUTPUTS", "SETTINGS" }));
    EXPECT_EQ (rig.bar.getTab (0).shortText, "OUTPUTS") << "not compact: the short text is the long one";
    EXPECT_EQ (rig.bar.getTab (0).width, 140);

    // A single group of more channels names its pairs by number, still without " OUT"; compact,
    // the short texts are the bare numbers.
    BarRig eight ({ { 0, 8 } }, 300);
    ASSERT_TRUE (eight.bar.isCompact());
    EXPECT_EQ (eight.bar.getTab (1).longText, "OUTPUTS 3-4");
    EXPECT_EQ (eight.bar.getTab (1).shortText, "3-4");
}

TEST (TabBar, ADeviceWithFewerThanTwoOutputsHasOnlyTheSettingsTab)
{
    for (const auto& groups : { std::vector<sim::SimChannelGroup> { { 0, 1 } }, std::vector<sim::SimChannelGroup> {} })
    {
        BarRig rig (groups, 400);
        auto& bar = rig.bar;
        ASSERT_EQ (bar.getNumTabs(), 1);
        EXPECT_EQ (bar.getTab (0).longText, "SETTINGS");
        EXPECT_EQ (bar.getTab (0).x, 3);
        EXPECT_EQ (bar.getNumLights(), 0);
        EXPECT_EQ (bar.currentTab(), -1);
        bar.setCurrentTab (0);
        bar.setCurrentTab (3);
        EXPECT_TRUE (rig.host.pages.empty()) << "the settings tab was selected already";
        bar.refreshLights();
    }
}

TEST (TabBar, ATabIsChosenOnMouseUpOnlyAndOnlyWhenItChanges)
{
    BarRig rig ({ { 0, 2 }, { 5, 2 }, { 1, 2 } }, 923);
    auto& bar = rig.bar;
    EXPECT_EQ (bar.currentTab(), 0);

    const auto at = [&] (int x, int y) { return mouseAt (bar, { (float) x, (float) y }); };
    bar.mouseDown (at (200, 15));
    EXPECT_TRUE (rig.host.pages.empty()) << "a press chooses nothing";
    bar.mouseUp (at (200, 15));
    EXPECT_EQ (rig.host.pages, (std::vector<int> { 2 }));
    EXPECT_EQ (bar.currentTab(), 1);

    rig.host.pages.clear();
    rig.release (200);       // the tab shown already
    rig.release (200, 30);   // below the bar
    rig.release (200, -1);   // above it
    rig.release (600);       // past the last tab
    EXPECT_TRUE (rig.host.pages.empty());

    rig.release (430); // SETTINGS: 3 + 3 * 140 = 423
    EXPECT_EQ (rig.host.pages, (std::vector<int> { -1 }));
    EXPECT_EQ (bar.currentTab(), -1);

    // As the content restores a stored tab: negative is SETTINGS, past the pairs the first.
    rig.host.pages.clear();
    bar.setCurrentTab (7);
    bar.setCurrentTab (-1);
    bar.setCurrentTab (2);
    EXPECT_EQ (rig.host.pages, (std::vector<int> { 0, -1, 4 }));

    // A page the host shows by itself only moves the selection.
    rig.host.pages.clear();
    bar.showSelected (1);
    EXPECT_EQ (bar.currentTab(), 1);
    EXPECT_TRUE (rig.host.pages.empty());
}

TEST (TabBar, LightsFollowTheirOutputsLevels)
{
    BarRig rig ({ { 0, 2 }, { 5, 2 }, { 1, 2 } }, 923);
    rig.host.levels = { { 0, 0x7F000000u }, { 3, 0x01000000u }, { 5, 0x30000000u } };
    rig.bar.refreshLights();
    const int frames[] = { 3, 0, 0, 1, 0, 2 };
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (rig.bar.getLight (i).getFrame(), frames[i]) << i;
}

TEST (TabBar, DrawsTheSelectedTabOpenIntoThePage)
{
    BarRig rig ({ { 0, 2 }, { 5, 2 }, { 1, 2 } }, 923);
    rig.bar.showSelected (1);
    const auto image = rig.bar.createComponentSnapshot (rig.bar.getLocalBounds());

    // The base line runs in grey 0.7 left and right of the selected tab, not under it.
    const auto line = juce::Colour (178, 178, 178);
    EXPECT_EQ (image.getPixelAt (70, 29), line);
    EXPECT_EQ (image.getPixelAt (700, 29), line);
    EXPECT_NE (image.getPixelAt (213, 29), line);

    // The selected tab's name in white, the others' in grey: count the brightest pixels.
    const auto whiteIn = [&] (int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = 8; y < 24; ++y)
                n += image.getPixelAt (x, y).getBrightness() > 0.95f ? 1 : 0;
        return n;
    };
    EXPECT_GT (whiteIn (150, 260), 20);
    EXPECT_EQ (whiteIn (10, 120), 0);
    EXPECT_EQ (image.getPixelAt (0, 0), juce::Colour (juce::Colours::black));
}

} // namespace
} // namespace arx::test
