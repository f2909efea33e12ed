#pragma once

#include "mixer/widgets/NameLabel.h"

namespace arx
{

class ConsoleState;
class HardwareInfo;

// The name of input i: inputAlias(i) in the console state, or its default name, which stays
// unstored, when it has none.
//
// Threads: message thread only.
class InputNameLabel : public NameLabel
{
public:
    InputNameLabel (ConsoleState& state, int input);

    void resetName() override;
    void updateText() override;

    // "In A1", "Guitar", "Low E", ... from the input's group; "In 1" without a description.
    static juce::String defaultName (const HardwareInfo* info, int input);

protected:
    juce::String storeName (const juce::String& text) override;

private:
    ConsoleState& state;
    const int input;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputNameLabel)
};

} // namespace arx
