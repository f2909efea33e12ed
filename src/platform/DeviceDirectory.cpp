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

juce::Array<juce::File> lockFolders()
{
    juce::Array<juce::File> folders;
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    if (runtime.isNotEmpty() && juce::File::isAbsolutePath (runtime))
        folders.add (juce::File (runtime));
    folders.add (juce::File ("/tmp"));
    return folders;
}

} // namespace arx::platform
