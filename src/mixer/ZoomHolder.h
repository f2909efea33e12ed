#pragma once

// Holds a window's content at a zoom: the content keeps its own size and layout and is drawn
// and hit through a scale transform, so every child, hit area and text follows; the holder
// takes the zoomed size, which the window fits itself around. (A window's content component
// itself may carry no transform.)
//
// Threads: message thread only.

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class ZoomHolder : public juce::Component
{
public:
    explicit ZoomHolder (juce::Component& content);
    ~ZoomHolder() override;

    // `scale` is the content's drawing scale within the window (1: its own size).
    void setScale (float scale);
    float getScale() const noexcept { return scale; }

    void childBoundsChanged (juce::Component*) override;

private:
    void fit();

    juce::Component& content;
    float scale = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZoomHolder)
};

} // namespace arx
