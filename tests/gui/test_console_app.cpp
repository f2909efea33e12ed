// The application object against the in-process lab: windows per device, the tray's commands,
// quitting and the end of the session, and what reaches the device's flash meanwhile.

#include "app/ConsoleApp.h"
#include "app/ConsoleAppMessages.h"
#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "device/DeviceList.h"
#include "device_test_support.h"
#include "mixer/ConsoleWindow.h"
#include "settings/AboutBox.h"
#ifdef _WIN32
 #include "platform/win32/Win32Platform.h"
#else
 #include "platform/DeviceBusPlatform.h"
#endif
#include "sim/SimSessionImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#ifdef _WIN32
 // Only the kernel's objects: the window message names are the seam's here.
 #ifndef NOMINMAX
  #define NOMINMAX
 #endif
 #define NOUSER
 #define WIN32_LEAN_AND_MEAN
 #include <windows.h>
#endif

namespace arx::test
{
namespace
{

// The program ends its message loop here instead of stopping the test binary's.
class TestConsoleApp : public ConsoleApp
{
public:
    using ConsoleApp::ConsoleApp;
    int loopEnds = 0;

protected:
    void endMessageLoop() override { ++loopEnds; }
};

juce::JUCEApplicationBase* noApplication() { return nullptr; }

// A running program with the given devices plugged in; preferences in a temporary folder.
struct AppRig
{
    explicit AppRig (std::initializer_list<const char*> names = { "Desk" })
    {
        for (auto* name : names)
        {
            sim::PlugOptions options;
            options.uniqueName = name;
            lab.plug (options);
        }
        juce::JUCEApplicationBase::createInstance = &noApplication; // a standalone program
        ConsoleApp::Setup setup;
        setup.platform = &platform;
        setup.preferencesFolder = folder.getFile();
        setup.windowsOnDesktop = false;
        setup.trayIcon = false;
        app = std::make_unique<TestConsoleApp> (setup);
        app->initialise ({});
    }

    ~AppRig()
    {
        app->shutdown();
        app.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    ConsoleWindow* window (const juce::String& name) const
    {
        auto* w = app->getFirstWindow();
        for (int i = 0; i < app->getWindowCount(); ++i, w = w->next)
            if (w->getDevice()->uniqueName() == name)
                return w;
        return nullptr;
    }

    Device::Ptr device (const juce::String& name) const
    {
        for (int i = 0; i < app->getDeviceList()->deviceCount(); ++i)
            if (auto d = app->getDeviceList()->device (i); d->uniqueName() == name)
                return d;
        return nullptr;
    }

    // What the tray's menu posts.
    void post (uint32_t id, const juce::String& name)
    {
        app->getListener()->postMessage (new DeviceChangeMessage (id, device (name)));
    }

    // Changes an output level, as a fader would, and hands back its gain code.
    static uint32_t changeLevel (ConsoleWindow& w, float dB)
    {
        w.getState().setOutputGain (0, dB);
        return w.getState().image().outputGain[0];
    }

    // The session area holds a valid image (length and CRC) with this output level.
    bool flashHolds (const juce::String& name, uint32_t outputGainCode) const
    {
        const auto area = lab.find (name)->sessionArea();
        uint32_t stored = 0;
        std::memcpy (&stored, area.data() + sim::SimSessionImage::outputGainAt, 4);
        return sim::SimSessionImage::isValid (area.data()) && stored == outputGainCode;
    }

    bool preferencesWritten (const juce::String& name) const
    {
        return folder.getFile().getChildFile (name + ".properties").existsAsFile();
    }

    juce::TemporaryFile folder;
    sim::DeviceLab lab;
    sim::InProcessPlatform platform { lab };
    std::unique_ptr<TestConsoleApp> app;
};

TEST (ConsoleAppDecisions, ForceUpdateOnlyForTheExactOption)
{
    EXPECT_TRUE (ConsoleApp::isForceUpdateCommandLine ("-forceupdate"));
    for (auto* other : { "-ForceUpdate", "-FORCEUPDATE", "-forceupdate ", "x -forceupdate", "" })
        EXPECT_FALSE (ConsoleApp::isForceUpdateCommandLine (other)) << other;
}

TEST (ConsoleApp, OpensOneWindowPerDeviceAndASecondArrivalOnlyRaisesIt)
{
    AppRig rig ({ "Desk", "Stage" });
    ASSERT_EQ (rig.app->getWindowCount(), 2);
    auto* desk = rig.window ("Desk");
    ASSERT_NE (desk, nullptr);

    rig.post (appmsg::showDevice, "Desk");
    rig.post (appmsg::showDevice, "Desk");
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_EQ (rig.app->getWindowCount(), 2);
    EXPECT_EQ (rig.window ("Desk"), desk);
    EXPECT_TRUE (desk->isVisible());
    EXPECT_EQ (rig.app->loopEnds, 0);
}

TEST (ConsoleApp, HideAllWritesChangesBackAndKeepsRunningAndShowReadsThemAgain)
{
    AppRig rig ({ "Desk", "Stage" });
    const auto code = AppRig::changeLevel (*rig.window ("Desk"), -12.0f);

    for (auto* name : { "Desk", "Stage" })
        rig.post (appmsg::hideDevice, name);
    ASSERT_TRUE (pumpUntil ([&] { return rig.app->getWindowCount() == 0; }));

    EXPECT_EQ (rig.app->loopEnds, 0) << "hiding every window must not end the program";
    EXPECT_TRUE (rig.flashHolds ("Desk", code));
    EXPECT_EQ (rig.lab.find ("Stage")->flashEraseCount(), 0); // unchanged: nothing written
    EXPECT_TRUE (rig.preferencesWritten ("Desk"));

    rig.post (appmsg::showDevice, "Desk");
    ASSERT_TRUE (pumpUntil ([&] { return rig.window ("Desk") != nullptr; }));
    EXPECT_EQ (rig.window ("Desk")->getState().image().outputGain[0], code);
    EXPECT_FALSE (rig.window ("Desk")->getState().hasChanged());
}

TEST (ConsoleApp, ShowDuringTheWriteBackOpensANewWindowOnlyOnceTheImageIsWritten)
{
    AppRig rig;
    auto* first = rig.window ("Desk");
    const auto code = AppRig::changeLevel (*first, -20.0f);

    first->closeButtonPressed();
    first->closeButtonPressed(); // a second close changes nothing
    rig.post (appmsg::showDevice, "Desk");
    ASSERT_TRUE (pumpUntil ([&] { return rig.lab.find ("Desk")->flashEraseCount() > 0; }));
    EXPECT_EQ (rig.app->getWindowCount(), 1) << "a second window would read the old image";

    // The new window may take the old one's address: tell them apart by their state.
    ASSERT_TRUE (pumpUntil ([&] { return rig.window ("Desk") != nullptr && ! rig.window ("Desk")->isClosing(); }));
    EXPECT_EQ (rig.lab.find ("Desk")->flashEraseCount(), 1);
    EXPECT_EQ (rig.window ("Desk")->getState().image().outputGain[0], code);
    EXPECT_EQ (rig.app->loopEnds, 0) << "the window was asked for again: the program stays";
}

TEST (ConsoleApp, ExitWritesEveryChangedWindowBackAndEndsOnceTheLastHasGone)
{
    AppRig rig ({ "Desk", "Stage" });
    const auto deskCode = AppRig::changeLevel (*rig.window ("Desk"), -6.0f);
    const auto stageCode = AppRig::changeLevel (*rig.window ("Stage"), -3.0f);
    // The device answers slowly, so the quit arrives while the first write-back runs.
    sim::SimFaults slow;
    slow.latencyMs = 3;
    rig.lab.find ("Stage")->addFault (slow);

    rig.window ("Desk")->closeButtonPressed();
    rig.app->endProgram();
    EXPECT_EQ (rig.app->loopEnds, 0);
    EXPECT_TRUE (rig.app->isEnding());

    // No new work meanwhile.
    rig.post (appmsg::showDevice, "Desk");
    sim::PlugOptions late;
    late.uniqueName = "Late";
    rig.lab.plug (late);

    ASSERT_TRUE (pumpUntil ([&] { return rig.app->loopEnds > 0; }, 30000));
    EXPECT_EQ (rig.app->loopEnds, 1);
    EXPECT_EQ (rig.app->getWindowCount(), 0);
    EXPECT_TRUE (rig.flashHolds ("Desk", deskCode));
    EXPECT_TRUE (rig.flashHolds ("Stage", stageCode));
    EXPECT_EQ (rig.lab.find ("Stage")->flashLockValue(), 0u);
}

TEST (ConsoleApp, EndOfSessionSavesPreferencesAtOnceThenWritesBackAndEnds)
{
    AppRig rig ({ "Desk", "Stage" });
    const auto code = AppRig::changeLevel (*rig.window ("Stage"), -9.5f);

    rig.app->endSession();
    EXPECT_TRUE (rig.preferencesWritten ("Desk"));
    EXPECT_TRUE (rig.preferencesWritten ("Stage"));

    ASSERT_TRUE (pumpUntil ([&] { return rig.app->loopEnds > 0; }));
    EXPECT_TRUE (rig.flashHolds ("Stage", code));
}

TEST (ConsoleApp, SystemEndOfSessionMessageReturnsOnlyOnceTheSessionsAreWritten)
{
    AppRig rig;
    const auto code = AppRig::changeLevel (*rig.window ("Desk"), -15.0f);

    // The notification thread delivers the message and waits; the message thread runs on.
    std::atomic<bool> returned { false };
    std::thread system ([&] {
        rig.app->handleNotification (platform::WM_ENDSESSION, 1, 0);
        returned = true;
    });

    ASSERT_TRUE (pumpUntil ([&] { return returned.load(); }));
    system.join();
    EXPECT_EQ (rig.app->loopEnds, 1);
    EXPECT_TRUE (rig.preferencesWritten ("Desk"));
    EXPECT_TRUE (rig.flashHolds ("Desk", code));
}

// The About box disables its console window until it closes: "Hide all windows" and "Exit" close
// it first, then the window with its write-back.
TEST (ConsoleApp, HideAllAndExitCloseTheAboutBoxFirstThenTheWindowWritesBack)
{
    AppRig rig;
    auto code = AppRig::changeLevel (*rig.window ("Desk"), -7.0f);
    juce::Component::SafePointer<AboutBox> box (AboutBox::open (*rig.window ("Desk"), rig.device ("Desk"), false));
    ASSERT_FALSE (rig.window ("Desk")->isEnabled());

    rig.post (appmsg::hideDevice, "Desk");
    ASSERT_TRUE (pumpUntil ([&] { return rig.app->getWindowCount() == 0; })) << "the box held the window";
    EXPECT_EQ (box.getComponent(), nullptr);
    EXPECT_TRUE (rig.flashHolds ("Desk", code));
    EXPECT_EQ (rig.app->loopEnds, 0);

    // Shown again, the window takes a box as before; the program's end closes that one too.
    rig.post (appmsg::showDevice, "Desk");
    ASSERT_TRUE (pumpUntil ([&] { return rig.window ("Desk") != nullptr; }));
    code = AppRig::changeLevel (*rig.window ("Desk"), -8.0f);
    box = AboutBox::open (*rig.window ("Desk"), rig.device ("Desk"), false);
    ASSERT_TRUE (box->isCurrentlyModal());

    rig.app->endProgram();
    ASSERT_TRUE (pumpUntil ([&] { return rig.app->loopEnds > 0; })) << "the box held the program";
    EXPECT_EQ (box.getComponent(), nullptr);
    EXPECT_TRUE (rig.flashHolds ("Desk", code));
}

TEST (ConsoleApp, UnplugDuringTheWriteBackEndsItAndTheNextPlugOpensAConsole)
{
    AppRig rig;
    AppRig::changeLevel (*rig.window ("Desk"), -30.0f);
    sim::SimFaults slow;
    slow.latencyMs = 3;
    rig.lab.find ("Desk")->addFault (slow);

    rig.post (appmsg::hideDevice, "Desk");
    ASSERT_TRUE (pumpUntil ([&] { return rig.lab.find ("Desk")->flashWriteCount() > 0; }));
    rig.lab.unplug ("Desk");

    ASSERT_TRUE (pumpUntil ([&] { return rig.app->getWindowCount() == 0; }));
    EXPECT_EQ (rig.app->loopEnds, 0);

    sim::PlugOptions again;
    again.uniqueName = "Desk";
    rig.lab.plug (again);
    ASSERT_TRUE (pumpUntil ([&] { return rig.window ("Desk") != nullptr; }));
    // The torn session reads as the reset values, and goes back whole when the window closes.
    auto& state = rig.window ("Desk")->getState();
    EXPECT_EQ (rig.window ("Desk")->readResult(), 1);
    EXPECT_EQ (state.outputGain (0), 0.0f);
    EXPECT_TRUE (state.hasChanged());
}

// A lock that cannot be made: on the device bus lock folders that do not exist, on Windows the
// lock's name taken by an object of another kind.
TEST (ConsoleApp, InstanceLockThatCannotBeMadeEndsWithAnErrorNotSilently)
{
#ifdef _WIN32
    platform::win32::Win32Platform platform;
    const HANDLE squatter = ::CreateEventW (nullptr, TRUE, FALSE, L"Vantrel ARX Console lock");
    ASSERT_NE (squatter, nullptr);
#else
    juce::TemporaryFile devices;
    devices.getFile().createDirectory();
    const auto missing = devices.getFile().getChildFile ("no such folder");
    platform::DeviceBusPlatform platform (devices.getFile(), { missing, missing.getChildFile ("nor this") });
#endif
    juce::JUCEApplicationBase::createInstance = &noApplication;
    ConsoleApp::Setup setup;
    setup.platform = &platform;
    setup.trayIcon = false;
    TestConsoleApp app (setup);

    app.initialise ({});

    EXPECT_EQ (app.loopEnds, 1);
    EXPECT_EQ (app.getApplicationReturnValue(), 1);
    EXPECT_EQ (app.getWindowCount(), 0);
    EXPECT_EQ (app.getDeviceList(), nullptr);
    app.shutdown();
#ifdef _WIN32
    ::CloseHandle (squatter);
#endif
}

} // namespace
} // namespace arx::test
