#include "settings/SettingsPage.h"

#include "console/HardwareThread.h"
#include "console/MixSnapshot.h"
#include "console/SessionImage.h"
#include "device/Device.h"
#include "guitar/GuitarInputMode.h"
#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleZoom.h"
#include "settings/BufferSize.h"
#include "settings/ClockSource.h"
#include "settings/SampleRate.h"
#include "settings/SampleRateDisplay.h"
#include "settings/SpdifFormat.h"
#if ARX_WEB_REMOTE
 #include "remote/WebRemote.h"
 #include "remote/WebRemoteGroup.h"
#endif
#include "remote/OscServer.h"
#include "remote/RemoteControlGroup.h"

namespace arx
{

// Sets device flag bit 0 once, when the page is built. It stays out of the content's list of
// controls: a session load or a reset has nothing to send for it.
class SettingsPage::DeviceFlag : public DeviceControl
{
public:
    explicit DeviceFlag (HardwareThread& owningThread) : DeviceControl (owningThread) {}

    void get() override {}
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    // Hardware thread: repeated while the device times out, for at most two seconds.
    void set() override
    {
        const auto start = juce::Time::getMillisecondCounter();
        for (;;)
        {
            const int code = getThread().getDevice().changeFlags (1, 0);
            if (code >= 0)
            {
                onSetResult (code);
                return;
            }
            if (juce::Time::getMillisecondCounter() - start >= juce::uint32 (deviceFlagWindowMs)
                || getThread().threadShouldExit())
            {
                juce::Logger::outputDebugString ("Console - device flag not set, the device kept timing out");
                return;
            }
            juce::Thread::sleep (HardwareThread::retryDelayMs);
        }
    }
};

//==============================================================================
SettingsPage::SettingsPage (DeviceControlHost& host, Device& dev, juce::Rectangle<int> bounds, bool vistaOrLater)
    : device (dev), vista (vistaOrLater)
{
    setName ("dx settings");
    setBounds (bounds);
    setOpaque (true);

    const auto showRate = [this] {
        if (bufferSize != nullptr)
            bufferSize->refreshText();
    };

    if (vista)
    {
        rateDisplay = std::make_unique<SampleRateDisplay> (host, showRate);
        addAndMakeVisible (*rateDisplay);
    }
    sampleRate = std::make_unique<SampleRate> (host, vista, showRate, [this] { rateChosenOnVista(); });
    addAndMakeVisible (*sampleRate);
    rateWatcher = rateDisplay != nullptr ? static_cast<SampleRateBase*> (rateDisplay.get()) : sampleRate.get();

    if (device.info().hasExternalClocks())
    {
        clockSource = std::make_unique<ClockSource> (host);
        addAndMakeVisible (*clockSource);
    }

    bufferSize = std::make_unique<BufferSize> (host);
    addAndMakeVisible (*bufferSize);

    if (device.info().hasSpdifOutput())
    {
        spdifFormat = std::make_unique<SpdifFormat> (host);
        addAndMakeVisible (*spdifFormat);
    }

    guitar = std::make_unique<GuitarInputMode> (host, *this);
    if (auto* osc = OscServer::application())
    {
        remoteControl = std::make_unique<RemoteControlGroup> (*osc);
        addAndMakeVisible (*remoteControl);
    }

#if ARX_WEB_REMOTE
    if (auto* remote = WebRemote::current())
    {
        webRemote = std::make_unique<WebRemoteGroup> (*remote);
        addAndMakeVisible (*webRemote);
    }
#endif

    about.setClickingTogglesState (false);
    about.setBounds ((getWidth() - 80) / 2, getHeight() - 42, 80, 22);
    about.addListener (this);
    addAndMakeVisible (about);

    // Beside the "About" button, clear of the groups above.
    zoomLabel.setBounds (16, about.getY(), 44, 22);
    addAndMakeVisible (zoomLabel);
    for (int percent : ConsoleZoom::steps)
        zoomChoice.addItem (juce::String (percent) + "%", percent);
    zoomChoice.setSelectedId (ConsoleZoom::normal, juce::dontSendNotification);
    zoomChoice.setBounds (zoomLabel.getRight(), about.getY(), 80, 22);
    zoomChoice.onChange = [this] {
        if (zoomHandler && zoomChoice.getSelectedId() != 0)
            zoomHandler (zoomChoice.getSelectedId());
    };
    addAndMakeVisible (zoomChoice);

    layOut();

    // Off the message thread: the device may take its time.
    deviceFlag = std::make_unique<DeviceFlag> (host.getHardwareThread());
    host.getHardwareThread().queueSet (*deviceFlag);
}

SettingsPage::~SettingsPage()
{
    stopTimer();
    about.removeListener (this);
}

void SettingsPage::layOut()
{
    constexpr int top = 16, gap = 12, guitarGap = 24;
    const int width = getWidth();
    int y = top;
    const auto place = [width, &y] (juce::Component* control, int column, int columns) {
        if (control == nullptr)
            return;
        control->setTopLeftPosition ((width / columns - control->getWidth()) / 2 + column * width / columns, y);
        y = control->getBottom() + gap;
    };

    place (rateDisplay.get(), 0, 2);
    place (sampleRate.get(), 0, 2);
    place (clockSource.get(), 0, 2);
    const int leftColumnEnd = y;

    y = top;
    place (spdifFormat.get(), 1, 2);
    place (bufferSize.get(), 1, 2);
    const int rightColumnEnd = y;

    // The guitar panel goes across the page below the left column. Where that would run into
    // the "About" button (a device with many rates) it goes below the right column if it fits
    // there beside the left one.
    const int limit = about.getY() - gap;
    const bool fitsBelowLeft = leftColumnEnd + guitarGap + guitar->getHeight() <= limit;
    const bool fitsBelowRight = rightColumnEnd + guitar->getHeight() <= limit && guitar->getWidth() <= width / 2;
    if (fitsBelowLeft || ! fitsBelowRight)
    {
        y = leftColumnEnd + guitarGap;
        place (guitar.get(), 0, 1);
        y = rightColumnEnd;
    }
    else
    {
        y = rightColumnEnd;
        place (guitar.get(), 1, 2);
    }
    layOutRemoteGroups (leftColumnEnd, y, limit);
}

void SettingsPage::layOutRemoteGroups (int leftColumnEnd, int rightColumnEnd, int limit)
{
    // The remote controls are the application's, not the device's: side by side in the first
    // free room (below the left column, below the right one, below the guitar panel), moving
    // nothing else.
    constexpr int gap = 12;
    juce::Array<juce::Component*> groups;
    for (auto* group : { (juce::Component*) remoteControl.get(), (juce::Component*) webRemote.get() })
        if (group != nullptr)
            groups.add (group);
    if (groups.isEmpty())
        return;

    int blockWidth = -gap, blockHeight = 0;
    for (auto* group : groups)
    {
        blockWidth += group->getWidth() + gap;
        blockHeight = juce::jmax (blockHeight, group->getHeight());
    }

    const int half = getWidth() / 2;
    const bool guitarOnTheLeft = guitar->getX() < half;
    const juce::Rectangle<int> spots[] = {
        { (half - blockWidth) / 2, guitarOnTheLeft ? guitar->getBottom() + gap : leftColumnEnd, blockWidth, blockHeight },
        { half + (half - blockWidth) / 2, rightColumnEnd, blockWidth, blockHeight },
    };
    auto spot = spots[0];
    for (const auto& candidate : spots)
        if (candidate.getBottom() <= limit && ! candidate.intersects (guitar->getBounds().expanded (gap / 2)))
        {
            spot = candidate;
            break;
        }

    int x = spot.getX();
    for (auto* group : groups)
    {
        group->setTopLeftPosition (x, spot.getY());
        x += group->getWidth() + gap;
    }
}

//==============================================================================
void SettingsPage::updateStatus()
{
    const auto status = device.statusBits();

    rateWatcher->update();
    if (clockSource != nullptr)
        clockSource->updateAvailability (status);
    bufferSize->checkDriverSize();
    guitar->updateFromStatus (status);
}

void SettingsPage::showZoom (int percent)
{
    zoomChoice.setSelectedId (ConsoleZoom::valid (percent), juce::dontSendNotification);
}

void SettingsPage::rateChosenOnVista()
{
    // The driver restarts its streams at the new rate: nothing else may change meanwhile.
    setEnabled (false);
    startTimer (vistaRateChangePauseMs);
}

void SettingsPage::timerCallback()
{
    stopTimer();
    setEnabled (true);
}

void SettingsPage::buttonClicked (juce::Button* clicked)
{
    if (clicked == &about && aboutHandler)
        aboutHandler();
}

bool SettingsPage::isChangedBy (const DeviceControl& control, const MixDiff& diff) const noexcept
{
    const auto is = [&control] (const DeviceControl* c) { return c == &control; };
    const auto flagsAt = offsetof (SessionImage, flags);
    if (is (clockSource.get()))
        return diff.touches (offsetof (SessionImage, clockSource), ~0u);
    if (is (spdifFormat.get()))
        return diff.touches (flagsAt, SessionImage::flagSpdifFormat);
    if (is (guitar.get()))
        return diff.touches (flagsAt, SessionImage::flagGuitarAutoCharge)
               || diff.touches (offsetof (SessionImage, guitarSetting), ~0u);
    return false;
}

void SettingsPage::paint (juce::Graphics& g)
{
    g.fillAll (ConsoleLookAndFeel::backgroundColour());
}

} // namespace arx
