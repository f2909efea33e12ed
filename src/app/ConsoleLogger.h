#pragma once

#include <juce_core/juce_core.h>

namespace arx
{

// The program's diagnostics: debug output by default; with ARX_LOG=1 in the environment they
// go to stderr as well, one line each, so that a test driving the program can read them.
//
// Threads: any; lines from different threads are never interleaved.
class ConsoleLogger : public juce::Logger
{
public:
    explicit ConsoleLogger (bool writeToStderr);

    static bool isRequestedByEnvironment();
    bool writesToStderr() const noexcept { return toStderr; }

    void logMessage (const juce::String& message) override;

private:
    const bool toStderr;
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleLogger)
};

} // namespace arx
