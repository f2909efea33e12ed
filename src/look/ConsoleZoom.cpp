#include "look/ConsoleZoom.h"

#include <cmath>
#include <iterator>

namespace arx
{

int ConsoleZoom::valid (int percent) noexcept
{
    for (int s : steps)
        if (s == percent)
            return s;
    return normal;
}

int ConsoleZoom::step (int percent, int direction) noexcept
{
    const int current = valid (percent);
    constexpr int count = (int) std::size (steps);
    for (int i = 0; i < count; ++i)
        if (steps[i] == current)
            return steps[juce::jlimit (0, count - 1, i + (direction > 0 ? 1 : direction < 0 ? -1 : 0))];
    return normal;
}

int ConsoleZoom::forScale (double scale) noexcept
{
    int best = normal;
    for (int s : steps)
        if (std::abs (s - scale * 100.0) < std::abs (best - scale * 100.0))
            best = s;
    return best;
}

int ConsoleZoom::largestFitting (int percent, juce::Rectangle<int> size, juce::Rectangle<int> area) noexcept
{
    for (int s = valid (percent); s > normal; s = step (s, -1))
        if (scaled (size.getWidth(), s) <= area.getWidth() && scaled (size.getHeight(), s) <= area.getHeight())
            return s;
    return normal;
}

int ConsoleZoom::scaled (int length, int percent) noexcept
{
    return juce::roundToInt (length * percent / 100.0);
}

juce::Component* ConsoleZoom::zoomedContent (juce::Component* window)
{
    auto* resizable = window != nullptr ? dynamic_cast<juce::ResizableWindow*> (window->getTopLevelComponent()) : nullptr;
    auto* content = resizable != nullptr ? resizable->getContentComponent() : nullptr;
    if (content == nullptr || content->getNumChildComponents() != 1 || ! content->getChildComponent (0)->isTransformed())
        return nullptr;
    return content->getChildComponent (0);
}

float ConsoleZoom::scaleOf (juce::Component* window)
{
    if (auto* zoomed = zoomedContent (window))
        return juce::Component::getApproximateScaleFactorForComponent (zoomed);
    return 1.0f;
}

juce::Rectangle<int> ConsoleZoom::centredAt (juce::Point<int> centre, juce::Rectangle<int> size, float scale)
{
    auto area = size.withCentre ((centre.toFloat() / scale).roundToInt());
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForPoint (centre))
        area = area.constrainedWithin ((display->userArea.toFloat() / scale).getSmallestIntegerContainer());
    return area;
}

} // namespace arx
