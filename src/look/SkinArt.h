#pragma once

// One piece of the skin's artwork: the image the layout is measured from and the same artwork
// drawn at twice its size. Drawn where a unit covers 1.5 screen pixels or more (a zoom of 150%
// and up, or a desktop scale) it takes the larger one, scaled down at most, so that no bitmap
// is blown up there; below that it draws the 1x image exactly as it always did.
//
// Threads: message thread only (the 2x image is decoded or painted on first use).

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
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
    // Painted artwork: `paintTwice` paints `once` at twice the size, when a drawing first needs
    // it; copies of this piece share what it painted.
    SkinArt (juce::Image once, std::function<juce::Image()> paintTwice);

    bool isValid() const noexcept { return once.isValid(); }
    int getWidth() const noexcept { return once.getWidth(); }
    int getHeight() const noexcept { return once.getHeight(); }
    juce::Rectangle<int> getBounds() const noexcept { return once.getBounds(); }
    // The 1x image.
    const juce::Image& image() const noexcept { return once; }
    // The 2x image (decoded or painted now if it was not yet).
    const juce::Image& twiceImage() const;

    // The whole piece with its top left at (x, y), at its own size in the drawing's units.
    void drawAt (juce::Graphics&, int x, int y) const;
    // The part `source` (in 1x pixels) into `dest`.
    void draw (juce::Graphics&, juce::Rectangle<int> dest, juce::Rectangle<int> source) const;

    // Whether a drawing at `g`'s scale takes the 2x images.
    static bool drawsTwice (juce::Graphics& g);

private:
    struct TwicePainter
    {
        std::function<juce::Image()> paint;
        juce::Image painted;
    };

    juce::Image once;
    mutable juce::Image twice; // an embedded piece's, once decoded
    std::optional<SkinImage> which;
    std::shared_ptr<TwicePainter> twicePainter;
};

} // namespace arx
