#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ConsoleSkin;
class HardwareInfo;

// The header over the playback strips, "play strip hdr": PLAYBACK on a device with a single
// output group, else the kind of the shown output pair (ANALOG, DIGITAL, HEADPHONES, OUTPUT).
//
// Threads: message thread only.
class PlaybackHeader : public juce::Label
{
public:
    PlaybackHeader (const ConsoleSkin& skin, const HardwareInfo* info, juce::Component& page);

    int getBank() const noexcept { return bank; }
    void selectBank (int b);

    static juce::String headerText (const HardwareInfo* info, int bank);

private:
    const HardwareInfo* info;
    int bank = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaybackHeader)
};

// The header over the output strips: the kind of the shown output pair, fitted into the header
// on one line.
class OutputHeader : public juce::Component
{
public:
    static constexpr float minimumScale = 0.7f;

    OutputHeader (const ConsoleSkin& skin, const HardwareInfo* info, juce::Component& page);

    int getBank() const noexcept { return bank; }
    void selectBank (int b);

    juce::String getText() const;

    void paint (juce::Graphics&) override;

private:
    const HardwareInfo* info;
    int bank = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputHeader)
};

} // namespace arx
