#pragma once

#include "mixer/strips/ChannelAlias.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/ChannelToggle.h"
#include "mixer/strips/PairGang.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/meter.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

namespace arx
{

class ConsoleSkin;
class HwInfo;

// The level meter of one output strip, beside the fader track.
class OutMeter : public meter
{
public:
    OutMeter (const ConsoleSkin& skin, int place);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutMeter)
};

// The right column of the mixer page: the two outputs of the shown pair, each with its level,
// mute, name, number and meter, and the gang button that links them.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class MasterStripBox : public juce::Component
{
public:
    // In the skin's place below the output header of `page`.
    MasterStripBox (MixerHost& host, juce::Component& page);
    ~MasterStripBox() override;

    int getBank() const noexcept { return bank; }
    // The strips switch to outputs bank and bank + 1.
    void selectBank (int b);

    // Both meters show their output's level from the last meter reply; the number of pixels
    // they asked to have repainted.
    int refreshMeters();

    MasterFader& getFader (int q) const { return *faders.at ((size_t) q); }
    MasterMute& getMute (int q) const { return *mutes.at ((size_t) q); }
    MasterAlias& getAlias (int q) const { return *aliases.at ((size_t) q); }
    OutMeter& getMeter (int q) const { return *meters.at ((size_t) q); }
    juce::Label& getNumberLabel (int q) const { return *numbers.at ((size_t) q); }
    MasterGang& getGang() const { return *gang; }

    // "Out 1", "Out 2", ...: the output's number within its group.
    static juce::String numberText (const HwInfo* info, int output);

    void paint (juce::Graphics&) override;

private:
    MixerHost& host;
    int bank = 0;
    juce::Image column;
    std::array<std::unique_ptr<OutMeter>, 2> meters;
    std::array<std::unique_ptr<MasterFader>, 2> faders;
    std::array<std::unique_ptr<MasterMute>, 2> mutes;
    std::array<std::unique_ptr<MasterAlias>, 2> aliases;
    std::unique_ptr<MasterGang> gang;
    std::array<std::unique_ptr<juce::Label>, 2> numbers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MasterStripBox)
};

} // namespace arx
