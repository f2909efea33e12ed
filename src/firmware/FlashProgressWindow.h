#pragma once

#include "firmware/FlashProgress.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <memory>

namespace arx
{

// The small borderless window that shows a flash operation's progress. The setters may be
// called from any thread (texts under `lock`, numbers atomic); painting happens on the message
// thread, driven by a 30 ms timer. Constructed, shown and deleted on the message thread.
class FlashProgressWindow : public juce::Component,
                            private juce::Timer,
                            public FlashProgress
{
public:
    static constexpr int windowWidth = 350;
    static constexpr int windowHeight = 180;

    // Placed over the middle of `parent`, or centred on the screen when there is none.
    // `addToDesktop` is false only where no display may be used (tests).
    FlashProgressWindow (juce::Component* parent, bool showWarning, bool addToDesktop = true);
    ~FlashProgressWindow() override;

    void setTitle (const juce::String& text) override;
    void setStatus (const juce::String& text) override;
    void setDescription (const juce::String& text) override;
    void setMinimumStep (float step) override;
    void setProgress (float value) override;
    void resetProgress() override;

    juce::String getTitle() const;
    juce::String getStatus() const;
    juce::String getDescription() const;
    float getProgress() const noexcept { return progress.load(); }
    float getMinimumStep() const noexcept { return minimumStep.load(); }

    void paint (juce::Graphics& g) override;
    // The zoom of the window it stands over.
    float getDesktopScaleFactor() const override { return scale * juce::Desktop::getInstance().getGlobalScaleFactor(); }

private:
    void timerCallback() override;
    void placeOver (juce::Component* parent);
    void paintBar (juce::Graphics& g, int x, int barWidth);

    juce::String title { "Flash update" };
    juce::String status;
    juce::String description;
    juce::CriticalSection lock;
    std::atomic<float> minimumStep { 0.05f };
    std::atomic<float> progress { 0.0f };
    std::unique_ptr<juce::Label> warning;
    float scale = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FlashProgressWindow)
};

} // namespace arx
