#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "test_console_fixture.h"

#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

namespace arx
{
namespace
{

class PreferencesTest : public ::testing::Test
{
protected:
    void TearDown() override { folder.deleteRecursively(); }

    std::unique_ptr<juce::PropertiesFile> open (const juce::String& name = "ARX-1")
    {
        return openConsolePreferences (name, folder);
    }

    const juce::File folder = juce::File::createTempFile ("prefs");
};

TEST_F (PreferencesTest, FileIsPerDeviceXmlInTheGivenFolder)
{
    auto properties = open();
    EXPECT_EQ (properties->getFile(), folder.getChildFile ("ARX-1.properties"));
    EXPECT_EQ (properties->getFile().getParentDirectory(), folder);
    const auto options = consolePreferencesOptions ("ARX-1");
    EXPECT_EQ (options.applicationName, "ARX-1");
    EXPECT_EQ (options.filenameSuffix, "properties");
    EXPECT_EQ (options.folderName, "Vantrel ARX Console");
    EXPECT_TRUE (options.storageFormat == juce::PropertiesFile::storeAsXML);
    EXPECT_EQ (options.millisecondsBeforeSaving, 1000);
    EXPECT_FALSE (options.commonToAllUsers);

    properties->setValue ("x", 10);
    ASSERT_TRUE (properties->saveIfNeeded());
    EXPECT_NE (juce::parseXML (properties->getFile()), nullptr);

    // A name from the driver never leads out of the folder.
    auto odd = open ("../ARX/2");
    EXPECT_EQ (odd->getFile().getParentDirectory(), folder);

    // Without a folder the file goes to the user's configuration folder.
    const auto standard = openConsolePreferences ("ARX-1");
    EXPECT_EQ (standard->getFile().getParentDirectory(),
               juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                   .getChildFile ("Vantrel ARX Console"));
}

TEST_F (PreferencesTest, FirstStartGivesAllGangsAndKeepsTheDeviceNames)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.readFromDevice(), 0);
    state.setInputAlias (0, "Vocal");
    state.setPlaybackAlias (1, "DAW R");
    state.setStoredCrc (state.computeCrc());

    auto properties = open();
    state.loadPreferences (*properties);

    EXPECT_EQ (state.inputGangs(), 0xFFFFFFFFu);
    EXPECT_EQ (state.outputGangs(), 0xFFFFFFFFu);
    EXPECT_EQ (state.playbackGangs(), 0xFFFFFFFFu);
    EXPECT_EQ (state.mostRecentFolder(), juce::File());
    EXPECT_EQ (state.inputAlias (0), "Vocal");
    EXPECT_EQ (state.playbackAlias (1), "DAW R");
    EXPECT_FALSE (state.hasChanged()); // nothing to write back to the device
}

TEST_F (PreferencesTest, PresentKeysReplaceNamesEvenWhenEmpty)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    state.setInputAlias (0, "Vocal");
    state.setInputAlias (1, "Keys");
    state.setOutputAlias (2, "Phones");

    auto properties = open();
    properties->setValue ("input alias 0", "");
    properties->setValue ("input alias 1", "A name of twenty-five chr");
    properties->setValue ("output alias 2", "Cue");
    properties->setValue ("input gangs", 5);
    properties->setValue ("most recent folder", folder.getChildFile ("s").getFullPathName());

    state.loadPreferences (*properties);
    EXPECT_EQ (state.inputAlias (0), "");
    EXPECT_EQ (state.inputAlias (1), "A name of twenty-five");
    EXPECT_EQ (state.outputAlias (2), "Cue");
    EXPECT_EQ (state.inputGangs(), 5u);
    EXPECT_EQ (state.mostRecentFolder(), folder.getChildFile ("s"));
    EXPECT_EQ (state.sessionsFolder(), folder.getChildFile ("s"));
}

TEST_F (PreferencesTest, RoundTripThroughTheFile)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    {
        ConsoleState state (lab.device.get());
        state.setInputGangs (0x80000001u);
        state.setOutputGangs (0);
        state.setPlaybackGangs (2);
        state.setInputAlias (12, "S/PDIF R");
        state.setOutputAlias (5, "Out 6");
        state.setPlaybackAlias (7, "Play 8");
        state.setMostRecentFolder (folder.getChildFile ("sessions"));

        auto properties = open();
        state.savePreferences (*properties);
        EXPECT_EQ (properties->getValue ("input gangs"), "-2147483647");
    } // the file is written when it goes

    ASSERT_TRUE (folder.getChildFile ("ARX-1.properties").existsAsFile());

    ConsoleState loaded (lab.device.get());
    auto properties = open();
    loaded.loadPreferences (*properties);
    EXPECT_EQ (loaded.inputGangs(), 0x80000001u);
    EXPECT_EQ (loaded.outputGangs(), 0u);
    EXPECT_EQ (loaded.playbackGangs(), 2u);
    EXPECT_EQ (loaded.inputAlias (12), "S/PDIF R");
    EXPECT_EQ (loaded.outputAlias (5), "Out 6");
    EXPECT_EQ (loaded.playbackAlias (7), "Play 8");
    EXPECT_EQ (loaded.mostRecentFolder(), folder.getChildFile ("sessions"));

    // Another device keeps a file of its own.
    auto other = open ("ARX-2");
    EXPECT_FALSE (other->containsKey ("input gangs"));
}

TEST_F (PreferencesTest, KeysCoverTheDeviceChannelsOnly)
{
    sim::PlugOptions options;
    options.hwinfoOverride = test::hwinfoWith ([] (sim::SimProfile& p)
    {
        p.inputGroups = { { 0, 16 }, { 1, 2 } };
        p.outputGroups = { { 0, 4 } };
        p.playbackCount1x = 6;
        p.playbackCount2x = 4;
    });
    test::LabDevice lab (options);
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());

    auto properties = open();
    state.savePreferences (*properties);

    const auto keys = properties->getAllProperties().getAllKeys();
    EXPECT_TRUE (keys.contains ("input alias 17"));
    EXPECT_FALSE (keys.contains ("input alias 18"));
    EXPECT_TRUE (keys.contains ("output alias 3"));
    EXPECT_FALSE (keys.contains ("output alias 4"));
    EXPECT_TRUE (keys.contains ("play alias 5"));
    EXPECT_FALSE (keys.contains ("play alias 6"));
    EXPECT_EQ (keys.size(), 18 + 4 + 6 + 4);
}

} // namespace
} // namespace arx
