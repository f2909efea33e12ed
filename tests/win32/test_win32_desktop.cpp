// The desktop seam on Windows: the session may always end. Windows asks every top-level window
// first; JUCE's windows would ask the program to quit and say no until it has.

#include "platform/Desktop.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace arx::win32test
{
namespace
{
class QuitCounter : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "quit counter"; }
    const juce::String getApplicationVersion() override { return "1"; }
    void initialise (const juce::String&) override {}
    void shutdown() override {}
    void systemRequestedQuit() override { ++quitRequests; }

    int quitRequests = 0;
};

juce::JUCEApplicationBase* noApplication() { return nullptr; }

LRESULT askToEndTheSession (juce::Component& window)
{
    return ::SendMessageW (static_cast<HWND> (window.getWindowHandle()), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
}

TEST (Win32Desktop, EveryJuceWindowAgreesToTheEndOfTheSessionAndLeavesTheEndToItsMessage)
{
    platform::desktop::agreeToTheEndOfTheSession();
    juce::JUCEApplicationBase::createInstance = &noApplication; // a standalone program
    QuitCounter app;

    juce::DocumentWindow window ("Console", juce::Colours::black, juce::DocumentWindow::closeButton, true);
    juce::AlertWindow question ("Vantrel ARX", "Continue?", juce::MessageBoxIconType::NoIcon);
    question.addToDesktop (0);

    EXPECT_EQ (askToEndTheSession (window), TRUE);
    EXPECT_EQ (askToEndTheSession (question), TRUE);
    EXPECT_EQ (app.quitRequests, 0) << "the query is not the end: another program may still refuse it";

    // The windows still work as before.
    window.setName ("Console 2");
    EXPECT_EQ (window.getName(), "Console 2");
    wchar_t title[32] {};
    ::GetWindowTextW (static_cast<HWND> (window.getWindowHandle()), title, 32);
    EXPECT_EQ (juce::String (title), "Console 2");
}

} // namespace
} // namespace arx::win32test
