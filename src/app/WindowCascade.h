#pragma once

#include <juce_graphics/juce_graphics.h>

namespace arx
{

// The cascade of console windows over a work area of width W and height H: the first window
// sits at (W/10, H/10), each next one a further (W/10, H/10) on, every coordinate taken modulo
// W or H. Integer arithmetic throughout.
juce::Point<int> firstCascadePosition (juce::Rectangle<int> workArea) noexcept;
juce::Point<int> nextCascadePosition (juce::Point<int> previous, juce::Rectangle<int> workArea) noexcept;

} // namespace arx
