#pragma once

#include "look/ConsoleSkin.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace arx
{

class HardwareInfo;

// The row above the input strips that names each input group (ANALOG, GUITAR, ...), centred
// over the group's strips.
//
// Threads: message thread only.
class InputGroupHeaders : public juce::Component
{
public:
    static constexpr int height = ConsoleSkin::headerHeight;

    // `strips` strips of `stripWidth` pixels are shown; a group that reaches past them is named
    // over the part that is shown.
    InputGroupHeaders (const HardwareInfo* info, int strips, int stripWidth, juce::Component& box);
    ~InputGroupHeaders() override;

    int getNumLabels() const noexcept { return (int) labels.size(); }
    juce::Label& getLabel (int group) const { return *labels.at ((size_t) group); }

    void paint (juce::Graphics&) override;

private:
    std::vector<std::unique_ptr<juce::Label>> labels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputGroupHeaders)
};

} // namespace arx
