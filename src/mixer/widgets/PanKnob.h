#pragma once

#include "console/BankedDeviceControl.h"
#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace arx
{

// A pan knob from full left (0.0) to full right (1.0), with its L/C/R text below. A change
// writes the console state at once and queues the knob; Ctrl on the knob centres it. The
// subclass supplies the console-state value for the shown bank and the device command.
//
// Threads: message thread, except get() and set() on the hardware thread. The knob writes the
// state itself when it changes, so its store() has nothing to do.
class PanKnob : public juce::Slider, public BankedDeviceControl
{
public:
    static constexpr float startAngle = 3.9269907f; // 5π/4: lower left
    static constexpr float endAngle = 8.6393795f;   // 11π/4: lower right
    static constexpr int textHeight = 10;

    // Placed in the input strip's knob rectangle of the host's skin and added to `parent`.
    PanKnob (MixerHost& host, juce::Component& parent);

    // The console state's pan for the bank shown.
    virtual float stateValue() const = 0;
    virtual void setStateValue (float pan) = 0;

    // The left output of the pair shown.
    int getBank() const noexcept { return shownBank.load(); }
    void selectBank (int newBank);

    void resetToCentre();

    // "L 31" .. "C" .. "R 31".
    static juce::String panText (double pan);

    // Slider
    juce::String getTextFromValue (double value) override;
    void valueChanged() override;
    void startedDragging() override { beginGesture(); }
    void stoppedDragging() override { endGesture(); }
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    // The look and feel makes the text box anew: its font is fitted to the 10 pixels again.
    void lookAndFeelChanged() override;

    // Component: shows the state's value (posted by the hardware thread after a get).
    void handleCommandMessage (int) override;

private:
    std::atomic<int> shownBank { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PanKnob)
};

} // namespace arx
