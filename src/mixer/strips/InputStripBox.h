#pragma once

#include "mixer/strips/InputStrip.h"
#include "mixer/strips/InputGroupHeaders.h"
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
class InputStripBox : public juce::Component
{
public:
    static constexpr int maxStrips = ConsoleSkin::maxInputs;

    // Placed at the top left of `page`, as wide as its strips.
    InputStripBox (MixerHost& host, juce::Component& page);
    ~InputStripBox() override;

    int getNumStrips() const noexcept { return count; }
    InputStrip* getStrip (int k) const noexcept;
    InputGroupHeaders& getHeader() noexcept { return *header; }

    // Every strip shows its input's level from the last meter reply; the number of pixels
    // the meters asked to have repainted.
    int refreshMeters();

    // Every strip switches to output pair bank / 2.
    void selectBank (int bank);

private:
    std::unique_ptr<InputGroupHeaders> header;
    int count = 0;
    std::array<std::unique_ptr<InputStrip>, maxStrips> strips;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputStripBox)
};

} // namespace arx
