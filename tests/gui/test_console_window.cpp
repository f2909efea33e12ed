// The console window and its content against devices of the in-process lab, never put on the
// desktop.

#include "look/ConsoleZoom.h"
#include "mixer/MixerPage.h"
#include "console/ConsoleState.h"
#include "guitar/GuitarInputMode.h"
#include "mixer/StatusPoller.h"
#include "mixer/RepaintRate.h"
#include "mixer/strips/InputStripBox.h"
#include "settings/SettingsPage.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

TEST (ConsoleWindow, IsNamedAfterTheDeviceAndSizedFromTheSkin)
{
    for (const auto& [profile, inputs] : { std::pair<const char*, int> { "arx", 13 }, { "wide", 16 } })
    {
        WindowRig rig (profile);
        auto& w = *rig.window;
        EXPECT_EQ (w.getName(), rig.lab.device->uniqueName() + " Console");
        EXPECT_EQ (w.getState().inputCount(), inputs);
        EXPECT_EQ (w.readResult(), 0);

        auto& content = w.getContent();
        EXPECT_EQ (content.getName(), rig.lab.device->uniqueName());
        EXPECT_EQ (content.getWidth(), inputs * 54 + 221) << profile;
        EXPECT_EQ (content.getHeight(), 536) << profile;
        EXPECT_EQ (content.getParentComponent(), w.getContentComponent()); // the zoom's holder
        EXPECT_EQ (w.getWidth(), content.getWidth());
        EXPECT_EQ (w.getHeight(), content.getHeight());
        EXPECT_TRUE (content.isOpaque());
        EXPECT_FALSE (w.isVisible());
    }
}

TEST (ConsoleWindow, PaintsTheConsoleFrameRatherThanABlankRectangle)
{
    WindowRig rig;
    auto& content = rig.window->getContent();
    const auto snapshot = content.createComponentSnapshot (content.getLocalBounds());

    // Strip artwork is not one flat colour: count distinct shades down the middle of strip 0.
    std::set<juce::uint32> shades;
    for (int y = 40; y < content.getHeight(); y += 4)
        shades.insert (snapshot.getPixelAt (27, y).getARGB());
    EXPECT_GT (shades.size(), 5u);
}

TEST (ConsoleWindow, SavePreferencesWritesPositionTabAndStateKeys)
{
    WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, -1); });
    auto& w = *rig.window;
    EXPECT_EQ (w.getContent().currentTab(), ConsoleContent::settingsTab);
    EXPECT_TRUE (w.getContent().getSettingsPage()->isVisible());

    w.setTopLeftPosition (321, 123);
    w.getState().setInputAlias (0, "Vox");
    w.savePreferences();
    EXPECT_EQ (w.getPreferences(), nullptr); // dropped, and thereby written

    ASSERT_TRUE (rig.preferencesFile().existsAsFile());
    auto file = rig.reload();
    EXPECT_EQ (file->getIntValue (prefs::windowX, -999), 321);
    EXPECT_EQ (file->getIntValue (prefs::windowY, -999), 123);
    EXPECT_EQ (file->getIntValue (prefs::tab, -999), -1);
    EXPECT_EQ (file->getValue (prefs::channelKey (prefs::inputAlias, 0)), "Vox");

    // Close, then removal or the end of the session: only the first save writes.
    w.setTopLeftPosition (40, 50);
    w.savePreferences();
    EXPECT_EQ (rig.reload()->getIntValue (prefs::windowX, -999), 321);
}

TEST (ConsoleWindow, RestorePositionUsesTheStoredPlace)
{
    WindowRig rig ("arx", [] (juce::PropertiesFile& f) {
        f.setValue (prefs::windowX, 250);
        f.setValue (prefs::windowY, 260);
    });
    rig.window->setTopLeftPosition (10, 10);
    rig.window->restorePosition();
    EXPECT_EQ (rig.window->getPosition(), juce::Point<int> (250, 260));
}

TEST (ConsoleWindow, ZoomCommandsAndTheSettingsChoiceSizeTheWindowAndTheZoomIsStored)
{
    WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::zoom, 175); });
    auto& w = *rig.window;
    auto& content = w.getContent();
    auto& commands = content.getCommandManager();
    auto& choice = content.getSettingsPage()->getZoomChoice();
    const auto size = [&w] { return std::make_pair (w.getWidth(), w.getHeight()); };
    ASSERT_EQ (size(), std::make_pair (923, 536));

    w.restorePosition();
    EXPECT_EQ (w.getZoom(), 175);
    EXPECT_EQ (choice.getSelectedId(), 175);
    EXPECT_EQ (size(), std::make_pair (1615, 938));

    // The keys reach the commands through the window's key mappings.
    auto* keys = commands.getKeyMappings();
    ASSERT_TRUE (keys->keyPressed (juce::KeyPress ('=', juce::ModifierKeys::commandModifier, '='), &w));
    EXPECT_EQ (size(), std::make_pair (1846, 1072));
    ASSERT_TRUE (keys->keyPressed (juce::KeyPress ('+', juce::ModifierKeys::commandModifier, '+'), &w));
    EXPECT_EQ (w.getZoom(), 200) << "200% is the largest";
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE (keys->keyPressed (juce::KeyPress ('-', juce::ModifierKeys::commandModifier, '-'), &w));
    EXPECT_EQ (size(), std::make_pair (1385, 804));
    EXPECT_EQ (choice.getSelectedId(), 150);
    juce::ApplicationCommandInfo info (ConsoleContent::zoomInCommand);
    content.getCommandInfo (ConsoleContent::zoomInCommand, info);
    EXPECT_EQ (info.categoryName, "View");

    choice.setSelectedId (125, juce::sendNotificationSync);
    EXPECT_EQ (w.getZoom(), 125);
    EXPECT_EQ (size(), std::make_pair (1154, 670));
    ASSERT_TRUE (keys->keyPressed (juce::KeyPress ('0', juce::ModifierKeys::commandModifier, '0'), &w));
    EXPECT_EQ (size(), std::make_pair (923, 536));

    w.stepZoom (1);
    w.savePreferences();
    EXPECT_EQ (rig.reload()->getIntValue (prefs::zoom), 125);
}

TEST (ConsoleWindow, AZoomThatIsNoStepOpensAt100)
{
    WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::zoom, 130); });
    rig.window->restorePosition();
    EXPECT_EQ (rig.window->getZoom(), 100);
    EXPECT_EQ (rig.window->getWidth(), 923);

    // On a screen too small for the stored zoom, the largest that fits.
    const juce::Rectangle<int> content (923, 536);
    EXPECT_EQ (ConsoleZoom::largestFitting (200, content, { 1600, 1000 }), 150);
    EXPECT_EQ (ConsoleZoom::largestFitting (175, content, { 1920, 1200 }), 175);
    EXPECT_EQ (ConsoleZoom::largestFitting (150, content, { 800, 600 }), 100);
    EXPECT_EQ (ConsoleZoom::forScale (1.5), 150);
    EXPECT_EQ (ConsoleZoom::forScale (1.0), 100);
    EXPECT_EQ (ConsoleZoom::forScale (3.0), 200);
}

TEST (ConsoleWindow, TheFirstWindowOnAScaledDesktopTakesTheZoomOfItsScaleInsteadOfBeingScaledUp)
{
    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    const auto saved = displays.displays;
    displays.displays.clear();
    juce::Displays::Display scaled;
    scaled.totalArea = scaled.userArea = { 0, 0, 1280, 800 }; // 1920 x 1200 pixels at 150%
    scaled.scale = 1.5;
    scaled.isMain = true;
    displays.displays.add (scaled);

    {
        WindowRig rig;
        rig.window->restorePosition();
        EXPECT_EQ (rig.window->getZoom(), 150);
        // The desktop scales the window by 1.5 already: the content keeps its own size in the
        // window's units, so that it covers 1385 x 804 pixels and no more.
        EXPECT_EQ (rig.window->getWidth(), 923);
        EXPECT_EQ (rig.window->getHeight(), 536);

        rig.window->setZoom (100);
        EXPECT_EQ (rig.window->getWidth(), 615) << "100% is 923 pixels, 615 units of the scaled desktop";
    }
    {
        WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::zoom, 100); });
        rig.window->restorePosition();
        EXPECT_EQ (rig.window->getZoom(), 100) << "a stored zoom wins over the desktop's scale";
    }
    displays.displays = saved;
}

TEST (ConsoleWindow, StoredTabOutsideThePairTabsOpensTheFirst)
{
    EXPECT_EQ (ConsoleContent::validTab (-1, 3), -1);
    EXPECT_EQ (ConsoleContent::validTab (2, 3), 2);
    EXPECT_EQ (ConsoleContent::validTab (3, 3), 0);
    EXPECT_EQ (ConsoleContent::validTab (-7, 3), 0);

    WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, 42); });
    EXPECT_EQ (rig.window->getContent().currentTab(), 0);
}

TEST (ConsoleWindow, ClosingADisabledWindowDoesNothing)
{
    WindowRig rig;
    auto& w = *rig.window;
    w.setVisible (true);
    w.setEnabled (false);

    w.closeButtonPressed();
    w.userTriedToCloseWindow();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    EXPECT_TRUE (w.isVisible());
    EXPECT_NE (w.getPreferences(), nullptr);
    EXPECT_FALSE (rig.preferencesFile().existsAsFile());
    EXPECT_TRUE (w.getContent().getHardwareThreadIfMade()->isThreadRunning());
    EXPECT_TRUE (rig.listener.finished.empty());
}

TEST (ConsoleWindow, ClosingSavesHidesAndAsksTheApplicationToRemoveIt)
{
    WindowRig rig;
    auto& w = *rig.window;
    w.setVisible (true);

    w.closeButtonPressed();
    EXPECT_FALSE (w.isVisible());
    EXPECT_TRUE (rig.preferencesFile().existsAsFile());
    EXPECT_TRUE (rig.reload()->containsKey (prefs::tab));

    ASSERT_TRUE (pumpUntil ([&] { return ! rig.listener.finished.empty(); }));
    EXPECT_EQ (rig.listener.finished.front(), &w);
    EXPECT_FALSE (w.getContent().getHardwareThreadIfMade()->isThreadRunning());
}

TEST (ConsoleWindow, DestructionClosesTheDeviceOnce)
{
    WindowRig rig;
    const int before = rig.lab.device->openCount();
    rig.window.reset();
    EXPECT_EQ (rig.lab.device->openCount(), before - 1);
}

TEST (ConsoleWindow, CapsTheRepaintRateOfDisplaysThatReportNoneOrAFasterOne)
{
    // JUCE repaints each window from a timer at its display's rate, 100 Hz when there is none.
    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    const auto saved = displays.displays;
    displays.displays.clear();
    for (const std::optional<double> rate : { std::optional<double>(), std::optional<double> (144.0),
                                              std::optional<double> (24.0) })
    {
        juce::Displays::Display d;
        d.totalArea = d.userArea = { 0, 0, 1920, 1200 };
        d.verticalFrequencyHz = rate;
        displays.displays.add (d);
    }

    {
        WindowRig rig;
    }
    EXPECT_EQ (displays.displays[0].verticalFrequencyHz, std::optional<double> (consoleRepaintHz));
    EXPECT_EQ (displays.displays[1].verticalFrequencyHz, std::optional<double> (consoleRepaintHz));
    EXPECT_EQ (displays.displays[2].verticalFrequencyHz, std::optional<double> (24.0)) << "a slower display stays";
    displays.displays = saved;
}

TEST (ConsoleContent, TheSettingsPageShowsForTheSettingsTabAndFollowsThePoll)
{
    WindowRig rig;
    auto& content = rig.window->getContent();
    auto* page = content.getSettingsPage();
    ASSERT_NE (page, nullptr);
    EXPECT_EQ (page->getParentComponent(), &content);
    EXPECT_EQ (page->getBounds(), juce::Rectangle<int> (0, 30, content.getWidth(), 506));
    EXPECT_FALSE (page->isVisible());

    content.selectPage (-1);
    EXPECT_TRUE (page->isVisible());
    content.selectPage (2);
    EXPECT_FALSE (page->isVisible());

    // The poll's message reaches the page: the lab's guitar is connected.
    EXPECT_FALSE (page->getGuitarPanel().isVisible());
    content.pollNow();
    ASSERT_TRUE (pumpUntil ([&] { return page->getGuitarPanel().isVisible(); }));
}

TEST (ConsoleContent, EveryValidPollReachesTheMetersAlsoWhenItsValuesDidNotChange)
{
    WindowRig rig;
    holdInputMeters (rig.lab, [] (int) { return 1u << 30; }); // -6 dB
    auto& content = rig.content();
    auto& meter = content.getInputStrips()->getStrip (3)->getMeter();

    // No poll yet: the message is ignored and the meter shows nothing.
    content.handleCommandMessage (0);
    EXPECT_EQ (meter.getLevelTop(), meter.getHeight());

    content.pollNow();
    ASSERT_TRUE (pumpUntil ([&] { return meter.getLevelTop() == 36; }));

    // A display that shows something else since (a meter just made shows nothing) is right
    // after the next good poll, though the device reports the same levels.
    meter.setLevel (0);
    content.pollNow();
    EXPECT_TRUE (pumpUntil ([&] { return meter.getLevelTop() == 36; }));
}

TEST (ConsoleContent, TheFirstSelectionShowsItsPage)
{
    {
        WindowRig rig;
        EXPECT_TRUE (rig.content().getMixerPage()->isVisible());
        EXPECT_EQ (rig.content().getInputStrips()->getStrip (0)->getFader().getBank(), 0);
    }
    {
        WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, 2); });
        EXPECT_TRUE (rig.content().getMixerPage()->isVisible());
        auto& strip = *rig.content().getInputStrips()->getStrip (5);
        EXPECT_EQ (strip.getFader().getBank(), 4);
        EXPECT_EQ (strip.getMute().getBank(), 4);
        EXPECT_EQ (strip.getPanKnob().getBank(), 4);
    }
    {
        WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, -1); });
        EXPECT_FALSE (rig.content().getMixerPage()->isVisible());
    }
}

} // namespace
} // namespace arx::test
