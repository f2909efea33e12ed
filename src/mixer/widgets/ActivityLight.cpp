#include "mixer/widgets/ActivityLight.h"

#include "look/ConsoleSkin.h"

namespace arx
{

ActivityLight::ActivityLight() : filmstrip (SkinImage::activityLights)
{
    setInterceptsMouseClicks (false, false);
    setOpaque (true);
}

ActivityLight::~ActivityLight() = default;

int ActivityLight::frameFor (uint32_t level) noexcept
{
    const auto top = (level >> 24) & 127;
    if (top == 0)
        return 0;
    if (top < 32)
        return 1;
    return top < 90 ? 2 : 3;
}

void ActivityLight::setLevel (uint32_t level)
{
    const int next = frameFor (level);
    if (next == frame)
        return;
    frame = next;
    repaint();
}

void ActivityLight::paint (juce::Graphics& g)
{
    filmstrip.draw (g, getLocalBounds(), { frame * frameSize, 0, frameSize, frameSize });
}

} // namespace arx
