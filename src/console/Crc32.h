#pragma once

#include <cstddef>
#include <cstdint>

namespace arx
{

// CRC-32 in its reflected form (polynomial 0xEDB88320), initial value 0xFFFFFFFF, result
// complemented. The session image, session files and the device lab all use this one function.
// Safe to call from any thread.
uint32_t crc32 (const void* data, size_t size) noexcept;

} // namespace arx
