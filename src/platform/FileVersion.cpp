#include "platform/FileVersion.h"

namespace arx::platform
{

bool getSystemDirectory (juce::String& path)
{
    const juce::File libraries ("/usr/lib");
    if (! libraries.isDirectory())
        return false;
    path = libraries.getFullPathName();
    return true;
}

bool getFileVersion (const juce::String& path, uint32_t& mostSignificant, uint32_t& leastSignificant)
{
    // Programs here carry no version resource; the running one knows the version it was built as.
    if (juce::File (path) != juce::File::getSpecialLocation (juce::File::currentExecutableFile))
        return false;
    mostSignificant = ((uint32_t) ARX_VERSION_MAJOR << 16) | (uint32_t) ARX_VERSION_MINOR;
    leastSignificant = (uint32_t) ARX_VERSION_PATCH << 16;
    return true;
}

} // namespace arx::platform
