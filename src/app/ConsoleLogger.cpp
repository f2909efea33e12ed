#include "app/ConsoleLogger.h"

#include <iostream>

namespace arx
{

ConsoleLogger::ConsoleLogger (bool writeToStderr) : toStderr (writeToStderr) {}

bool ConsoleLogger::isRequestedByEnvironment()
{
    return juce::SystemStats::getEnvironmentVariable ("ARX_LOG", {}).trim() == "1";
}

void ConsoleLogger::logMessage (const juce::String& message)
{
    if (! toStderr)
    {
        DBG (message);
        return;
    }

    const juce::ScopedLock sl (lock);
    std::cerr << message << std::endl;
}

} // namespace arx
