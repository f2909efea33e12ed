// arx-about-host: opens the console window of the first device on the device bus and the About
// box over it, as the settings page's "About" button does, and ends once the box has closed.
// It lets the end-to-end tests drive the About box, its buttons and the updates it starts
// through X, with a real device lab behind it.

#include "device/DeviceList.h"
#include "device/Win32NotificationWindow.h"
#include "look/ConsoleLookAndFeel.h"
#include "mixer/ConsoleWindow.h"
#include "settings/AboutDlg.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class AboutHost : public juce::JUCEApplication, private juce::Timer
{
public:
    const juce::String getApplicationName() override { return "ARX About host"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }

    void initialise (const juce::String&) override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        devices = std::make_unique<arx::DeviceList> (arx::platform::Platform::getDefault(),
                                                     arx::Win32NotificationWindow::instance(),
                                                     arx::DeviceList::supportedVendor);
        device = devices->device (0);
        if (device == nullptr || ! device->open())
        {
            std::fprintf (stderr, "arx-about-host: no device to open\n");
            setApplicationReturnValue (1);
            quit();
            return;
        }

        window = std::make_unique<arx::ConsoleWindow> (device, nullptr);
        window->setVisible (true);
        box = arx::AboutDlg::open (*window, device, &poll);
        startTimer (100);
    }

    void shutdown() override
    {
        window.reset();
        devices.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

private:
    // The application's poll timer, as the About box's firmware update stops and restarts it.
    struct PollTimer : juce::Timer
    {
        void timerCallback() override {}
    };

    void timerCallback() override
    {
        if (box == nullptr)
        {
            stopTimer();
            quit();
        }
    }

    arx::ConsoleLookAndFeel lookAndFeel;
    std::unique_ptr<arx::DeviceList> devices;
    arx::bhw::Ptr device;
    std::unique_ptr<arx::ConsoleWindow> window;
    juce::Component::SafePointer<arx::AboutDlg> box;
    PollTimer poll;
};
} // namespace

START_JUCE_APPLICATION (AboutHost)
