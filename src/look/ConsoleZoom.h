#pragma once

// The zoom steps of a console window, in percent of the skin's own size, and the choices made
// from them: a step in or out, the step a desktop scale asks for, the largest step that fits
// a screen.

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

struct ConsoleZoom
{
    static constexpr int steps[] = { 100, 125, 150, 175, 200 };
    static constexpr int normal = 100;

    // A stored or chosen percentage as a step: anything that is not one becomes 100.
    static int valid (int percent) noexcept;
    // The next step in (`direction` > 0) or out, staying at the ends.
    static int step (int percent, int direction) noexcept;
    // The step nearest to a desktop scale factor (1.5 gives 150).
    static int forScale (double scale) noexcept;
    // The largest step from `percent` down at which `size` (at 100%) fits inside `area`; 100
    // when none does.
    static int largestFitting (int percent, juce::Rectangle<int> size, juce::Rectangle<int> area) noexcept;
    // `length` at `percent`, rounded.
    static int scaled (int length, int percent) noexcept;

    // What a window shows at its zoom: the one child of its content (null for another window
    // or none).
    static juce::Component* zoomedContent (juce::Component* window);
    // The scale that windows opened over `window` (dialogs, progress, About) take so that they
    // follow its zoom; 1 without one.
    static float scaleOf (juce::Component* window);
    // Where a window at `scale` (its own size `size`) stands, in its own coordinates, with its
    // centre over `centre` of the screen and inside the screen's work area when there is one.
    static juce::Rectangle<int> centredAt (juce::Point<int> centre, juce::Rectangle<int> size, float scale);
};

} // namespace arx
