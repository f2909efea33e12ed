#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ConsoleSkin;
class HwInfo;

// The header over the playback strips, "play strip hdr": PLAYBACK on a device with a single
// output group, else the kind of the shown output pair (ANALOG, DIGITAL, HEADPHONES, OUTPUT).
//
// Threads: message thread only.
class PlayStripHdr : public juce::Label
{
public:
    PlayStripHdr (const ConsoleSkin& skin, const HwInfo* info, juce::Component& page);

    int getBank() const noexcept { return bank; }
    void selectBank (int b);

    static juce::String headerText (const HwInfo* info, int bank);

private:
    const HwInfo* info;
    int bank = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlayStripHdr)
};

// The header over the output strips: the kind of the shown output pair, fitted into the header
// on one line.
class MasterStripHdr : public juce::Component
{
public:
    static constexpr float minimumScale = 0.7f;

    MasterStripHdr (const ConsoleSkin& skin, const HwInfo* info, juce::Component& page);

    int getBank() const noexcept { return bank; }
    void selectBank (int b);

    juce::String getText() const;

    void paint (juce::Graphics&) override;

private:
    const HwInfo* info;
    int bank = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MasterStripHdr)
};

} // namespace arx
