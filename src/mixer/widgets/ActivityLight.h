#pragma once

#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

namespace arx
{

// A small signal light with four brightnesses (dark, from about -42 dBFS, from -12 dBFS, from
// about -3 dBFS), drawn from one filmstrip that every light shares. It repaints only when its
// frame changes.
//
// Threads: message thread only.
class ActivityLight : public juce::Component
{
public:
    static constexpr int frameCount = 4;
    static constexpr int frameSize = 5;

    ActivityLight();
    ~ActivityLight() override;

    void setLevel (uint32_t level);
    int getFrame() const noexcept { return frame; }

    // The frame for a 32-bit peak level; bit 31 plays no part.
    static int frameFor (uint32_t level) noexcept;

    void paint (juce::Graphics&) override;

private:
    SkinArt filmstrip; // shared through the image cache
    int frame = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ActivityLight)
};

} // namespace arx
