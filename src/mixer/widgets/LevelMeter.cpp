#include "mixer/widgets/LevelMeter.h"

#include <array>
#include <cmath>

namespace arx
{

namespace
{
// Top row of the lit part for -d dB, d = 0..79, on a 192-row meter; -80 dB and below show the
// bottom row alone. 6 rows per dB to -12, 3 per dB to -32, then 3 per 2 dB to -71.
constexpr std::array<uint8_t, 80> rowTable {
    0,   6,   12,  18,  24,  30,  36,  42,  48,  54,  60,  66,  72,  75,  78,  81,
    84,  87,  90,  93,  96,  99,  102, 105, 108, 110, 113, 116, 119, 122, 125, 128,
    131, 131, 134, 134, 137, 137, 140, 140, 143, 143, 147, 147, 150, 150, 153, 153,
    156, 156, 159, 159, 162, 162, 165, 165, 168, 168, 171, 171, 174, 174, 177, 177,
    180, 180, 183, 183, 186, 186, 189, 189, 191, 191, 191, 191, 191, 191, 191, 191,
};
constexpr int bottomRow = 191;
} // namespace

LevelMeter::LevelMeter()
{
    setInterceptsMouseClicks (false, false);
}

LevelMeter::~LevelMeter() = default;

void LevelMeter::setImages (const SkinArt& lit, const SkinArt& unlit)
{
    litImage = lit;
    unlitImage = unlit;
}

void LevelMeter::setUp (juce::Component& parent)
{
    levelTop = getHeight();
    drawnTop = 0;
    setOpaque (true);
    parent.addAndMakeVisible (this);
}

int LevelMeter::levelToDb (uint32_t level) noexcept
{
    if (level == 0)
        return floorDb;
    if (level >= fullScale)
        return 0;
    const double dB = std::nearbyint (20.0 * std::log10 (double (level) / double (fullScale)));
    return dB < floorDb ? floorDb : int (dB);
}

int LevelMeter::topRowFor (int d, int height) noexcept
{
    const int row = d < 0 ? 0 : (d < (int) rowTable.size() ? rowTable[(size_t) d] : bottomRow);
    return height == scaleRows ? row : row * height / scaleRows;
}

juce::Rectangle<int> LevelMeter::setLevel (uint32_t level)
{
    levelTop = topRowFor (-levelToDb (level), getHeight());
    if (levelTop == drawnTop)
        return {};

    const juce::Rectangle<int> band (0, juce::jmin (levelTop, drawnTop), getWidth(), std::abs (levelTop - drawnTop));
    repaint (band);
    return band;
}

void LevelMeter::paint (juce::Graphics& g)
{
    const auto clip = g.getClipBounds();
    const int w = getWidth();
    const int top = clip.getY(), bottom = clip.getBottom();

    if (top < levelTop)
    {
        const int rows = juce::jmin (levelTop, bottom) - top;
        unlitImage.draw (g, { 0, top, w, rows }, { 0, top, w, rows });
    }
    if (levelTop < bottom)
    {
        const int from = juce::jmax (levelTop, top);
        litImage.draw (g, { 0, from, w, bottom - from }, { 0, from, w, bottom - from });
    }
    drawnTop = levelTop;
}

} // namespace arx
