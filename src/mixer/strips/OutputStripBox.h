#pragma once

#include "mixer/strips/ChannelNameLabel.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/ChannelFlagButton.h"
#include "mixer/strips/PairGangButton.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/LevelMeter.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

namespace arx
{

class ConsoleSkin;
class HardwareInfo;

// The level meter of one output strip, beside the fader track.
class OutputMeter : public LevelMeter
{
public:
    OutputMeter (const ConsoleSkin& skin, int place);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputMeter)
};

// The right column of the mixer page: the two outputs of the shown pair, each with its level,
// mute, name, number and meter, and the gang button that links them.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class OutputStripBox : public juce::Component
{
public:
    // In the skin's place below the output header of `page`.
    OutputStripBox (MixerHost& host, juce::Component& page);
    ~OutputStripBox() override;

    int getBank() const noexcept { return bank; }
    // The strips switch to outputs bank and bank + 1.
    void selectBank (int b);

    // Both meters show their output's level from the last meter reply; the number of pixels
    // they asked to have repainted.
    int refreshMeters();

    OutputFader& getFader (int q) const { return *faders.at ((size_t) q); }
    OutputMuteButton& getMute (int q) const { return *mutes.at ((size_t) q); }
    OutputNameLabel& getAlias (int q) const { return *aliases.at ((size_t) q); }
    OutputMeter& getMeter (int q) const { return *meters.at ((size_t) q); }
    juce::Label& getNumberLabel (int q) const { return *numbers.at ((size_t) q); }
    OutputGangButton& getGang() const { return *gang; }

    // "Out 1", "Out 2", ...: the output's number within its group.
    static juce::String numberText (const HardwareInfo* info, int output);

    void paint (juce::Graphics&) override;

private:
    MixerHost& host;
    int bank = 0;
    SkinArt column;
    std::array<std::unique_ptr<OutputMeter>, 2> meters;
    std::array<std::unique_ptr<OutputFader>, 2> faders;
    std::array<std::unique_ptr<OutputMuteButton>, 2> mutes;
    std::array<std::unique_ptr<OutputNameLabel>, 2> aliases;
    std::unique_ptr<OutputGangButton> gang;
    std::array<std::unique_ptr<juce::Label>, 2> numbers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputStripBox)
};

} // namespace arx
