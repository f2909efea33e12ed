#pragma once

// Windows hands text out in UTF-16 (the W calls); the seam speaks juce::String and, for registry
// values, the narrow bytes that RegQueryValueExA would give. These conversions never read past
// the count they are given and never throw.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace arx::platform::win32
{

// Up to the first terminator or `maxUnits` UTF-16 units, whichever comes first.
juce::String fromWide (const wchar_t* text, size_t maxUnits);

// The narrow form of a string value: every unit of it, terminators included, in UTF-8. A value
// stored without its terminator stays without. Unpaired surrogates become U+FFFD.
std::vector<uint8_t> narrowRegistryText (const wchar_t* units, size_t count);

} // namespace arx::platform::win32
