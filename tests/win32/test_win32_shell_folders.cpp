// The shell's folders on Windows, reached through JUCE as the console's only route to them:
// sessions under the user's personal (documents) folder, preferences under the roaming
// application-data folder, both where the shell itself says they are.

#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "unit/test_console_fixture.h"
#include "win32_test_support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace arx::win32test
{
namespace
{
juce::File shellFolder (int csidl)
{
    wchar_t path[MAX_PATH] {};
    if (FAILED (::SHGetFolderPathW (nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return juce::File (juce::String (path));
}

TEST (Win32ShellFolders, SessionsInTheDocumentsFolderPreferencesInApplicationData)
{
    const auto documents = shellFolder (CSIDL_PERSONAL);
    const auto appData = shellFolder (CSIDL_APPDATA);
    ASSERT_NE (documents, juce::File());
    ASSERT_NE (appData, juce::File());

    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.sessionsFolder(), documents.getChildFile ("ARX sessions"));

    auto preferences = openConsolePreferences ("ARX-1");
    EXPECT_EQ (preferences->getFile(), appData.getChildFile ("Vantrel ARX Console").getChildFile ("ARX-1.properties"));
}

} // namespace
} // namespace arx::win32test
