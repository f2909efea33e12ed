#pragma once

#include "mixer/strips/InputNameLabel.h"
#include "mixer/strips/MonitorPanKnob.h"
#include "mixer/strips/MonitorFlagButton.h"
#include "mixer/strips/MonitorFader.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/LevelMeter.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleSkin;
class HardwareInfo;

// The level meter of one input strip, beside the fader track.
class InputMeter : public LevelMeter
{
public:
    explicit InputMeter (const ConsoleSkin& skin);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputMeter)
};

// One input's strip: how input i is mixed into the shown output pair (fader, pan knob, mute,
// solo), its name and number, and its level meter.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class InputStrip : public juce::Component
{
public:
    InputStrip (MixerHost& host, int input);
    ~InputStrip() override;

    int getInput() const noexcept { return input; }

    // Shows input i's level from the last meter reply; the band repainted, if any.
    juce::Rectangle<int> refreshMeter();

    // Every control stores the old pair's value and shows the new pair's.
    void selectBank (int bank);

    MonitorFader& getFader() noexcept { return *fader; }
    MonitorPanKnob& getPanKnob() noexcept { return *pan; }
    MonitorMuteButton& getMute() noexcept { return *mute; }
    MonitorSoloButton& getSolo() noexcept { return *solo; }
    InputMeter& getMeter() noexcept { return *level; }
    InputNameLabel& getAlias() noexcept { return *alias; }
    // Null for an input whose group has a single channel.
    juce::Label* getNumberLabel() noexcept { return number.get(); }

    // The strip's number: 6 down to 1 for the string inputs, else 1, 2, ... within the group.
    static juce::String numberText (const HardwareInfo* info, int input);

    void paint (juce::Graphics&) override;

private:
    MixerHost& host;
    const int input;
    std::unique_ptr<MonitorMuteButton> mute;
    std::unique_ptr<MonitorSoloButton> solo;
    std::unique_ptr<InputMeter> level;
    std::unique_ptr<MonitorFader> fader;
    std::unique_ptr<MonitorPanKnob> pan;
    std::unique_ptr<InputNameLabel> alias;
    std::unique_ptr<juce::Label> number;
    SkinArt background;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputStrip)
};

} // namespace arx
