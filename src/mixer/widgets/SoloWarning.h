#pragma once

#include "mixer/widgets/MixerHost.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ConsoleState;

// The solo warning: a panel whose lamp blinks (500 ms on, 500 ms off) while any monitor or
// playback solo is on, and goes dark the moment the last one goes. Its blink timer runs only
// while a solo is on.
//
// Threads: recount() from any thread (a solo control's get or set runs on the hardware
// thread); it repaints through a command message. tick() and drawing on the message thread.
class SoloWarning : public juce::Component, private juce::Timer
{
public:
    // In the skin's place for the warning, inside `parent` (the mixer page).
    SoloWarning (MixerHost& host, juce::Component& parent);
    ~SoloWarning() override;

    // Counts the solo flags of the console state.
    void recount();
    static constexpr int tickMs = 100;
    // One step of the blink, every tickMs while a solo is on.
    void tick();

    int getSoloCount() const;
    int getBlinkPhase() const noexcept { return blinkPhase; }
    bool isLampLit() const;

    void handleCommandMessage (int) override;
    void paint (juce::Graphics&) override;

private:
    void timerCallback() override { tick(); }

    ConsoleState& state;
    SkinArt panel, lamp;
    juce::CriticalSection lock;
    int soloCount = 0; // under lock
    int blinkPhase = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SoloWarning)
};

} // namespace arx
