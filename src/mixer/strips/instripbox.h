#pragma once

#include "mixer/strips/instrip.h"
#include "mixer/strips/instriphdrs.h"
#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

namespace arx
{

// The left part of the mixer page: the group header row and one strip per input, at most 16
// (a device with more inputs shows its first 16; the window is as wide as the strips shown).
//
// Threads: message thread only.
class instripbox : public juce::Component
{
public:
    static constexpr int maxStrips = ConsoleSkin::maxInputs;

    // Placed at the top left of `page`, as wide as its strips.
    instripbox (MixerHost& host, juce::Component& page);
    ~instripbox() override;

    int getNumStrips() const noexcept { return count; }
    instrip* getStrip (int k) const noexcept;
    instriphdrs& getHeader() noexcept { return *header; }

    // Every strip shows its input's level from the last meter reply; the number of pixels
    // the meters asked to have repainted.
    int refreshMeters();

    // Every strip switches to output pair bank / 2.
    void selectBank (int bank);

private:
    std::unique_ptr<instriphdrs> header;
    int count = 0;
    std::array<std::unique_ptr<instrip>, maxStrips> strips;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (instripbox)
};

} // namespace arx
