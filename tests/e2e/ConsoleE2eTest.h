#pragma once

// Fixture of the end-to-end tests: a fresh device lab per test and the consoles it starts.

#include "e2e/harness/ConsoleRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace arx::e2e
{

// The X server shared by the whole binary; empty when it came up.
const std::string& xServerProblem();

// The OS generation the consoles started from here report.
class ScopedGeneration
{
public:
    explicit ScopedGeneration (bool vista)
    {
        if (const char* value = std::getenv ("ARX_OS"))
            previous = value;
        if (vista)
            ::setenv ("ARX_OS", "vista", 1);
        else
            ::unsetenv ("ARX_OS");
    }

    ~ScopedGeneration()
    {
        if (previous)
            ::setenv ("ARX_OS", previous->c_str(), 1);
        else
            ::unsetenv ("ARX_OS");
    }

private:
    std::optional<std::string> previous;
};

class ConsoleE2eTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (xServerProblem().empty()) << xServerProblem();
        if (! juce::File (ConsoleRig::binDir() + "/arx-console").existsAsFile())
            GTEST_SKIP() << "arx-console is not built";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        rig = std::make_unique<ConsoleRig> (std::string (info->test_suite_name()) + "." + info->name());
        std::string error;
        ASSERT_TRUE (rig->startLab (error)) << error;
    }

    void TearDown() override { rig.reset(); }

    // Starts a console and hands back its index; fails the test when it cannot start.
    int launch (const std::vector<std::string>& args = {})
    {
        std::string error;
        const int index = rig->startConsole (error, args);
        EXPECT_GE (index, 0) << error;
        return index;
    }

    std::string plugged (const std::string& profile = "arx", const std::string& name = {})
    {
        const auto unique = rig->plug (profile, name);
        EXPECT_FALSE (unique.empty()) << "the lab refused to plug a " << profile;
        return unique;
    }

    // The device's next window opens on the tab `tab` (-1: the settings page), as if the user
    // had left it there.
    void storeTab (const std::string& uniqueName, int tab)
    {
        const auto folder = juce::File (rig->homeDir()).getChildFile (".config/Vantrel ARX Console");
        ASSERT_TRUE (folder.createDirectory());
        ASSERT_TRUE (folder.getChildFile (uniqueName + ".properties")
                         .replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                                           "  <VALUE name=\"tab\" val=\"" + juce::String (tab) + "\"/>\n</PROPERTIES>\n"));
    }

    // Content size of a device's window with the shipped skin.
    static int contentWidth (int inputs) { return inputs * 54 + 221; }
    static constexpr int contentHeight = 536;

    // The "About" button at the foot of the settings page of an "arx" device (923 x 506, 30
    // down), and the centres of the About box's update buttons within its window.
    static constexpr int aboutButtonX = 923 / 2, aboutButtonY = 30 + 506 - 42 + 11;
    static constexpr int updateArxX = 345 + 60, updateArxY = 203 + 11;
    static constexpr int updateGuitarX = 345 + 60, updateGuitarY = 230 + 11;

    std::unique_ptr<ConsoleRig> rig;
};

} // namespace arx::e2e
