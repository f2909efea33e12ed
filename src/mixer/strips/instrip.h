#pragma once

#include "mixer/strips/InAlias.h"
#include "mixer/strips/InPanKnob.h"
#include "mixer/strips/MonitorFlagButton.h"
#include "mixer/strips/monfader.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/meter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleSkin;
class HwInfo;

// The level meter of one input strip, beside the fader track.
class InMeter : public meter
{
public:
    explicit InMeter (const ConsoleSkin& skin);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InMeter)
};

// One input's strip: how input i is mixed into the shown output pair (fader, pan knob, mute,
// solo), its name and number, and its level meter.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class instrip : public juce::Component
{
public:
    instrip (MixerHost& host, int input);
    ~instrip() override;

    int getInput() const noexcept { return input; }

    // Shows input i's level from the last meter reply; the band repainted, if any.
    juce::Rectangle<int> refreshMeter();

    // Every control stores the old pair's value and shows the new pair's.
    void selectBank (int bank);

    monfader& getFader() noexcept { return *fader; }
    InPanKnob& getPanKnob() noexcept { return *pan; }
    monmute& getMute() noexcept { return *mute; }
    MonSolo& getSolo() noexcept { return *solo; }
    InMeter& getMeter() noexcept { return *level; }
    InAlias& getAlias() noexcept { return *alias; }
    // Null for an input whose group has a single channel.
    juce::Label* getNumberLabel() noexcept { return number.get(); }

    // The strip's number: 6 down to 1 for the string inputs, else 1, 2, ... within the group.
    static juce::String numberText (const HwInfo* info, int input);

    void paint (juce::Graphics&) override;

private:
    MixerHost& host;
    const int input;
    std::unique_ptr<monmute> mute;
    std::unique_ptr<MonSolo> solo;
    std::unique_ptr<InMeter> level;
    std::unique_ptr<monfader> fader;
    std::unique_ptr<InPanKnob> pan;
    std::unique_ptr<InAlias> alias;
    std::unique_ptr<juce::Label> number;
    juce::Image background;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (instrip)
};

} // namespace arx
