// rand_s draws on the system's RtlGenRandom (present since XP, unlike BCryptGenRandom); the C
// runtime declares it only when asked to before its first header.
#define _CRT_RAND_S
#include <stdlib.h>

#include "platform/SecureRandom.h"

#include <cstring>

namespace arx::platform::secureRandom
{

bool fill (void* bytes, size_t size) noexcept
{
    auto* at = static_cast<unsigned char*> (bytes);
    while (size > 0)
    {
        unsigned int word = 0;
        if (rand_s (&word) != 0)
            return false;
        const auto n = size < sizeof (word) ? size : sizeof (word);
        std::memcpy (at, &word, n);
        at += n;
        size -= n;
    }
    return true;
}

} // namespace arx::platform::secureRandom
