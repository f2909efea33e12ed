// arx-console.exe itself under Windows, with no device: it starts showing nothing, keeps a second
// copy from running, and ends cleanly when the session ends.

#include "ConsoleProgram.h"
#include "platform/FileVersion.h"
#include "platform/win32/Win32Platform.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace arx::win32test
{
namespace
{

// The session manager's two messages to one of the program's top-level windows.
void endSession (HWND window)
{
    DWORD_PTR answer = 0;
    ASSERT_NE (::SendMessageTimeoutW (window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer), 0);
    EXPECT_EQ (answer, (DWORD_PTR) TRUE) << "the program lets the session end";
    ASSERT_NE (::SendMessageTimeoutW (window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer), 0);
}

TEST (ConsoleProgram, StartsWithNoDeviceShowsNothingKeepsOneCopyAndEndsWithTheSession)
{
    ConsoleProgram first;
    ASSERT_TRUE (first.started());
    ASSERT_TRUE (first.waitForLog ("Console - started with 0 window(s)")) << first.log();
    ASSERT_TRUE (waitUntil ([&] { return first.notificationWindow() != nullptr; }));
    EXPECT_TRUE (first.windows (true).empty()) << "no device: nothing on the screen";

    ConsoleProgram second;
    ASSERT_TRUE (second.waitForExit (15000)) << "the second copy kept running";
    EXPECT_EQ (second.exitCode(), 0u);
    EXPECT_NE (second.log().find ("another instance is running"), std::string::npos) << second.log();
    EXPECT_EQ (first.exitCode(), (DWORD) STILL_ACTIVE);

    endSession (first.notificationWindow());
    ASSERT_TRUE (first.waitForExit (15000)) << first.log();
    EXPECT_EQ (first.exitCode(), 0u);
    EXPECT_NE (first.log().find ("Console - end of session"), std::string::npos) << first.log();

    // The lock went with it: the next copy runs.
    ConsoleProgram third;
    ASSERT_TRUE (third.waitForLog ("Console - started with 0 window(s)")) << third.log();
    ASSERT_TRUE (waitUntil ([&] { return third.notificationWindow() != nullptr; }));
    endSession (third.notificationWindow());
    ASSERT_TRUE (third.waitForExit (15000)) << third.log();
    EXPECT_EQ (third.exitCode(), 0u);
}

// The About box's versions: the program's own resource, and a system library's.
TEST (ConsoleProgram, CarriesItsVersionAndReadsTheSystemsFiles)
{
    const auto exe = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("arx-console.exe");
    uint32_t ms = 0, ls = 0;
    ASSERT_TRUE (platform::getFileVersion (exe.getFullPathName(), ms, ls));
    EXPECT_EQ (juce::String (ms >> 16) + "." + juce::String (ms & 0xFFFF) + "." + juce::String (ls >> 16), ARX_PROJECT_VERSION);

    juce::String system;
    ASSERT_TRUE (platform::getSystemDirectory (system));
    EXPECT_TRUE (juce::File (system).getChildFile ("kernel32.dll").existsAsFile()) << system;
    EXPECT_TRUE (platform::getFileVersion (system + "\\kernel32.dll", ms, ls));
    EXPECT_FALSE (platform::getFileVersion (system + "\\no such file.dll", ms, ls));
}

// The system volume link's kind rests on this (Core Audio from Vista on); Wine reports Windows 10.
TEST (ConsoleProgram, WindowsOfTodayCountAsVistaOrLater)
{
    ASSERT_NE (juce::SystemStats::getOperatingSystemType() & juce::SystemStats::Windows, 0);
    EXPECT_GE (juce::SystemStats::getOperatingSystemType(), juce::SystemStats::WinVista);
    EXPECT_TRUE (platform::win32::Win32Platform().isVistaOrLater());
}

} // namespace
} // namespace arx::win32test
