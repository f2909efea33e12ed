#pragma once

// One attempt at the guitar update: loads the firmware file, then runs the exchange with the
// guitar while a modal progress window ("Guitar Update", no cancel button) shows its steps.
//
// Threads: constructed, run (runThread) and deleted on the message thread; the exchange runs
// on this thread and reaches the window only through the progress window's own setters.

#include "guitar/GuitarFirmwareData.h"
#include "guitar/GuitarUpdateExchange.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class GuitarUpdateThread : public juce::ThreadWithProgressWindow, private GuitarUpdateProgress
{
public:
    // Reads the firmware file; when it cannot be used its message has been shown and
    // isLoaded() is false.
    GuitarUpdateThread (Device& device, const juce::File& firmwareFile);
    ~GuitarUpdateThread() override;

    bool isLoaded() const noexcept { return exchange != nullptr; }
    juce::String getResultText() const { return exchange != nullptr ? exchange->getResultText() : juce::String(); }
    bool hasSucceeded() const noexcept { return exchange != nullptr && exchange->hasSucceeded(); }

    void run() override;

private:
    void setStatus (const juce::String& text) override { setStatusMessage (text); }
    void setProgress (double value) override { ThreadWithProgressWindow::setProgress (value); }
    bool shouldExit() override { return threadShouldExit(); }

    std::unique_ptr<GuitarFirmwareData> firmware;
    std::unique_ptr<GuitarUpdateExchange> exchange;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarUpdateThread)
};

} // namespace arx
