#include "mixer/RepaintRate.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

void limitRepaintRate (double maxHz)
{
    // The desktop hands its display list out read-only, but owns it as a plain object; the
    // window peers read each display's rate whenever they are made, moved or resized.
    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    for (auto& display : displays.displays)
    {
        const auto reported = display.verticalFrequencyHz.value_or (0.0);
        if (reported <= 0.0 || reported > maxHz)
            display.verticalFrequencyHz = maxHz;
    }
}

} // namespace arx
