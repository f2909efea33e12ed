#include "app/WindowCascade.h"

namespace arx
{

namespace
{
int wrap (int value, int extent) noexcept
{
    // An empty work area (no display) leaves the position as it is.
    return extent > 0 ? value % extent : value;
}
} // namespace

juce::Point<int> nextCascadePosition (juce::Point<int> previous, juce::Rectangle<int> workArea) noexcept
{
    const int w = workArea.getWidth();
    const int h = workArea.getHeight();
    return { wrap (previous.x + w / 10, w), wrap (previous.y + h / 10, h) };
}

juce::Point<int> firstCascadePosition (juce::Rectangle<int> workArea) noexcept
{
    return nextCascadePosition ({ 0, 0 }, workArea);
}

} // namespace arx
