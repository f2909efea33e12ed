#pragma once

// One piece of the skin's artwork: the image the layout is measured from and the same artwork
// drawn at twice its size. Drawn where a unit covers 1.5 screen pixels or more (a zoom of 150%
// and up, or a desktop scale) it takes the larger one, scaled down at most, so that no bitmap
// is blown up there; below that it draws the 1x image exactly as it always did.
//
// Threads: message thread only (the 2x image of an embedded piece is decoded on first use).

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace arx
{

enum class SkinImage;

class SkinArt
{
public:
    SkinArt() = default;
    // An embedded piece of artwork.
    explicit SkinArt (SkinImage which);
    // Painted artwork: `twice` is `once` drawn at twice the size.
    SkinArt (juce::Image once, juce::Image twice);

    bool isValid() const noexcept { return once.isValid(); }
    int getWidth() const noexcept { return once.getWidth(); }
    int getHeight() const noexcept { return once.getHeight(); }
    juce::Rectangle<int> getBounds() const noexcept { return once.getBounds(); }
    // The 1x image.
    const juce::Image& image() const noexcept { return once; }
    // The 2x image (decoded now if it was not yet).
    const juce::Image& twiceImage() const;

    // The whole piece with its top left at (x, y), at its own size in the drawing's units.
    void drawAt (juce::Graphics&, int x, int y) const;
    // The part `source` (in 1x pixels) into `dest`.
    void draw (juce::Graphics&, juce::Rectangle<int> dest, juce::Rectangle<int> source) const;

    // Whether a drawing at `g`'s scale takes the 2x images.
    static bool drawsTwice (juce::Graphics& g);

private:
    juce::Image once;
    mutable juce::Image twice;
    std::optional<SkinImage> which;
};

} // namespace arx
