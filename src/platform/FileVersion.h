#pragma once

// Version information of files, as the About box shows it.

#include <juce_core/juce_core.h>

#include <cstdint>

namespace arx::platform
{

// GetSystemDirectoryA: false when the system directory cannot be obtained.
bool getSystemDirectory (juce::String& path);

// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA of the root block "\\": the
// fixed file information's two version words. False when the file has no version information.
// Here only the running program carries one: the version it was built as.
bool getFileVersion (const juce::String& path, uint32_t& mostSignificant, uint32_t& leastSignificant);

} // namespace arx::platform
