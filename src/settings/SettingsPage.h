#pragma once

#include "console/DeviceControl.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace arx
{

class Device;
class BufferSize;
class ClockSource;
class GuitarInputMode;
class MixDiff;
class SampleRate;
class SampleRateBase;
class SampleRateDisplay;
class SpdifFormat;
class RemoteControlGroup;

// The settings page of a console window: the sample rate, the clock source, the S/PDIF format,
// the buffer size, the guitar's mode and the "About" button. It behaves in one of two ways,
// fixed when it is built: on Vista and later the rate buttons choose the audio driver's rate and
// the device's own rate is only shown; before Vista they set the device's clock, which can be
// locked.
//
// The window content owns the page, adds it hidden, shows it for the settings tab and runs
// updateStatus after every good status poll. Build it before the hardware thread starts and
// destroy it after the thread stopped: its controls sit in the thread's queues.
//
// Threads: message thread. Its controls' get and set run on the hardware thread.
class SettingsPage : public juce::Component, private juce::Button::Listener, public juce::Timer
{
public:
    static constexpr int vistaRateChangePauseMs = 2000;
    static constexpr int deviceFlagWindowMs = 2000;

    SettingsPage (DeviceControlHost& host, Device& device, juce::Rectangle<int> bounds, bool vistaOrLater);
    ~SettingsPage() override;

    // After every good status poll: the device's rate, the clock inputs' signals, the driver's
    // buffer size and the guitar.
    void updateStatus();

    // What the "About" button opens; the content supplies it. Without one the button does nothing.
    void setAboutHandler (std::function<void()> handler) { aboutHandler = std::move (handler); }
    // The zoom choice: what a choice calls (with the percentage), and the zoom to show.
    void setZoomHandler (std::function<void (int)> handler) { zoomHandler = std::move (handler); }
    void showZoom (int percent);
    juce::ComboBox& getZoomChoice() noexcept { return zoomChoice; }

    bool isVistaOrLater() const noexcept { return vista; }
    SampleRate& getSampleRate() noexcept { return *sampleRate; }
    BufferSize& getBufferSize() noexcept { return *bufferSize; }
    GuitarInputMode& getGuitarPanel() noexcept { return *guitar; }
    juce::Button& getAboutButton() noexcept { return about; }
    // Null where the device or the OS behaviour has none.
    SampleRateDisplay* getSampleRateDisplay() noexcept { return rateDisplay.get(); }
    ClockSource* getClockSource() noexcept { return clockSource.get(); }
    SpdifFormat* getSpdifFormat() noexcept { return spdifFormat.get(); }
    // Null where the application has no remote-control endpoint (tests of the page alone).
    RemoteControlGroup* getRemoteControl() noexcept { return remoteControl.get(); }

    // Whether `diff` (an undo step, a recall) changed the value of `control`: one of the page's
    // controls whose values an undo takes back (the clock source, the S/PDIF format and the
    // guitar; not the sample rate and the buffer size).
    bool isChangedBy (const DeviceControl& control, const MixDiff& diff) const noexcept;

    void paint (juce::Graphics&) override;

    // The pause after a rate change on Vista is over.
    void timerCallback() override;

private:
    class DeviceFlag;

    void buttonClicked (juce::Button*) override;
    void rateChosenOnVista();
    void layOut();
    void layOutRemoteGroups (int leftColumnEnd, int rightColumnEnd, int limit);

    Device& device;
    const bool vista;
    std::unique_ptr<DeviceFlag> deviceFlag;
    std::unique_ptr<SampleRateDisplay> rateDisplay;
    std::unique_ptr<SampleRate> sampleRate;
    SampleRateBase* rateWatcher = nullptr;
    std::unique_ptr<ClockSource> clockSource;
    std::unique_ptr<BufferSize> bufferSize;
    std::unique_ptr<SpdifFormat> spdifFormat;
    std::unique_ptr<GuitarInputMode> guitar;
    // The web remote's group where the application runs one (a build without a web server has
    // no such class, hence a plain component here).
    std::unique_ptr<juce::Component> webRemote;
    std::unique_ptr<RemoteControlGroup> remoteControl;
    juce::ToggleButton about { "About" };
    std::function<void()> aboutHandler;
    juce::Label zoomLabel { "zoom label", "Zoom" };
    juce::ComboBox zoomChoice { "zoom" };
    std::function<void (int)> zoomHandler;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsPage)
};

} // namespace arx
