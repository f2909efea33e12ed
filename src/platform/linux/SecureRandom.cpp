#include "platform/SecureRandom.h"

#include <cerrno>
#include <sys/random.h>

namespace arx::platform::secureRandom
{

bool fill (void* bytes, size_t size) noexcept
{
    auto* at = static_cast<unsigned char*> (bytes);
    while (size > 0)
    {
        const auto got = getrandom (at, size, 0);
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        at += got;
        size -= (size_t) got;
    }
    return true;
}

} // namespace arx::platform::secureRandom
