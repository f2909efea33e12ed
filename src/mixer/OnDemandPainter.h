#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

// Paints a desktop window when something in it asks for a repaint. JUCE on X11 paints from a
// frame timer of each window that ticks at the display's refresh rate whether anything waits
// or not; a console window shows nothing that moves on its own, so the painter slows that timer
// to once a second and paints each batch of repaints once the message that asked for them is
// done. It hears of every repaint in the window as the window's cached image, which JUCE tells
// of each invalidated area before it reaches the peer. The window system may send the window
// its geometry at any time, which sets the frame timer back to the display's rate; the painter
// hears the timer tick and slows it again.
//
// Threads: message thread only.
class OnDemandPainter : private juce::CachedComponentImage,
                        private juce::ComponentPeer::VBlankListener,
                        private juce::AsyncUpdater,
                        private juce::Timer
{
public:
    // Takes over `window`'s painting where the window system lets it (not on Windows, which
    // asks for paints itself); the window owns the painter then. Call again whenever the
    // window may have a new peer or may have started its frame timer again (moved, resized,
    // mapped).
    static void attachTo (juce::Component& window);

    // The painter of `window`, or null where the frame timer still paints.
    static OnDemandPainter* of (juce::Component& window);

    static constexpr int retryMs = 4; // while the window system still copies the last frame

private:
    explicit OnDemandPainter (juce::Component& window);
    ~OnDemandPainter() override;

    void listenTo (juce::ComponentPeer* peer);
    void onVBlank() override;

    void paint (juce::Graphics& g) override;
    bool invalidateAll() override;
    bool invalidate (const juce::Rectangle<int>& area) override;
    void releaseResources() override {}
    void handleAsyncUpdate() override;
    void timerCallback() override;

    juce::Component& window;
    juce::ComponentPeer* listenedPeer = nullptr;
    juce::uint32 lastFrameMs = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OnDemandPainter)
};

} // namespace arx
