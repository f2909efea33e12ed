#pragma once

// Random bytes that nobody can predict from earlier ones: the operating system's cryptographic
// source (getrandom(2) on Linux, BCryptGenRandom on Windows). For secrets such as the web
// remote's pairing code; juce::Random is not fit for them.
//
// Threads: any.

#include <cstddef>

namespace arx::platform::secureRandom
{

// Fills `size` bytes; false when the source failed (the bytes are then not to be used).
bool fill (void* bytes, size_t size) noexcept;

} // namespace arx::platform::secureRandom
