#pragma once

#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

namespace arx
{

// A bar meter drawn from a lit and an unlit image: lit below the level, unlit above. Each level
// is shown as it comes (no peak hold, no decay); a new level repaints only the band of rows
// between the old top and the new one.
//
// Threads: message thread only.
class LevelMeter : public juce::Component
{
public:
    static constexpr uint32_t fullScale = 0x80000000u; // 2^31
    static constexpr int scaleRows = 192;             // the scale's meter height
    static constexpr int floorDb = -128;

    LevelMeter ();
    ~LevelMeter () override;

    void setImages (const SkinArt& lit, const SkinArt& unlit);
    // After the subclass has set bounds and images: nothing lit, then into `parent`.
    void setUp (juce::Component& parent);

    // A 32-bit peak level of the meter reply. Returns the band it repainted, empty when the
    // shown top row did not move.
    juce::Rectangle<int> setLevel (uint32_t level);

    int getLevelTop() const noexcept { return levelTop; }
    int getDrawnTop() const noexcept { return drawnTop; }

    // Whole dB below full scale, rounded half to even, from 0 down to -128. Levels of 2^31 and
    // above are full scale.
    static int levelToDb (uint32_t level) noexcept;
    // Top row of the lit part for a level of -d dB on a meter `height` rows high.
    static int topRowFor (int d, int height) noexcept;

    void paint (juce::Graphics&) override;

private:
    int drawnTop = 0;
    int levelTop = 0;
    SkinArt litImage, unlitImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LevelMeter)
};

} // namespace arx
