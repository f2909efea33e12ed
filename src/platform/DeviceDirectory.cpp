#include "platform/DeviceDirectory.h"

#include <unistd.h>

namespace arx::platform
{

juce::File deviceDirectory()
{
    const auto explicitDir = juce::SystemStats::getEnvironmentVariable ("ARX_DEVICE_DIR", {});
    if (explicitDir.isNotEmpty())
        return juce::File::getCurrentWorkingDirectory().getChildFile (explicitDir);

    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    if (runtime.isNotEmpty() && juce::File::isAbsolutePath (runtime))
        return juce::File (runtime).getChildFile ("arx-devices");

    return juce::File ("/tmp/arx-devices-" + juce::String ((int) getuid()));
}

juce::File runtimeDirectory()
{
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    if (runtime.isNotEmpty() && juce::File::isAbsolutePath (runtime))
        return juce::File (runtime);
    return juce::File ("/tmp");
}

} // namespace arx::platform
