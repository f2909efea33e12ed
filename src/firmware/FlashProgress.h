#pragma once

#include <juce_core/juce_core.h>

namespace arx
{

// Where a long flash operation reports what it is doing. The worker that erases or writes the
// flash calls these from its own thread; implementations must take that into account.
class FlashProgress
{
public:
    virtual ~FlashProgress() = default;

    virtual void setTitle (const juce::String& text) = 0;
    virtual void setStatus (const juce::String& text) = 0;
    virtual void setDescription (const juce::String& text) = 0;

    // A new progress value is taken over only when it exceeds the shown one by this much.
    virtual void setMinimumStep (float step) = 0;
    virtual void setProgress (float value) = 0;
    virtual void resetProgress() = 0;
};

} // namespace arx
