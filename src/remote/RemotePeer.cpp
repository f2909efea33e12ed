#include "remote/RemotePeer.h"

namespace arx
{

bool RemotePeer::isLoopback (const juce::String& address) noexcept
{
    return address.startsWith ("127.") || address == "::1" || address.startsWith ("::ffff:127.");
}

} // namespace arx
