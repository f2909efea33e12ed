#pragma once

#include "settings/SettingsGroup.h"

#include <atomic>
#include <functional>

namespace arx
{

class ConsoleState;

// The buffer size slider: whole multiples of 32 samples, shown with the latency at the current
// sample rate ("256 samples / 5.3 msec"), and no text while the rate is not known.
//
// Threads: message thread.
class BufferSizeSlider : public juce::Slider
{
public:
    explicit BufferSizeSlider (const ConsoleState& state);

    juce::String getTextFromValue (double value) override;

    // The user holds the slider with the mouse.
    bool isHeld() const;

private:
    const ConsoleState& state;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BufferSizeSlider)
};

// The audio driver's buffer size. A change goes out when the mouse is released; the driver
// refuses it while an ASIO application holds the device, and the user is then told to change it
// there, and the slider returns to the driver's size.
//
// Threads: get() and set() on the hardware thread; everything else on the message thread.
class BufferSize : public SettingsGroup, private juce::Slider::Listener
{
public:
    // Shows the refusal to the user; the default is the operating system's message box.
    using MessageBox = std::function<void (const juce::String& title, const juce::String& text)>;

    static constexpr int minimumSamples = 32, maximumSamples = 2048, stepSamples = 32;
    static const char* const refusalTitle;
    static const char* const refusalText;

    explicit BufferSize (DeviceControlHost& host);
    ~BufferSize() override;

    void get() override;
    void set() override;
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    // 0: the slider shows the driver's size; 1: the refusal message.
    void handleCommandMessage (int commandId) override;

    // After each status poll: reads the driver's size again when it differs from the one shown
    // and the user is not holding the slider.
    void checkDriverSize();

    // The sample rate changed: the latency text follows.
    void refreshText() { slider.updateText(); }

    void setMessageBox (MessageBox box) { messageBox = std::move (box); }

    uint32_t getSamples() const noexcept { return samples.load(); }
    BufferSizeSlider& getSlider() noexcept { return slider; }

private:
    void sliderValueChanged (juce::Slider*) override;

    std::atomic<uint32_t> samples { 0 };
    BufferSizeSlider slider;
    MessageBox messageBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BufferSize)
};

} // namespace arx
