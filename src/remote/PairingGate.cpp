#include "remote/PairingGate.h"

#include "platform/SecureRandom.h"

namespace arx
{

PairingGate::PairingGate()
{
    // Draws above the last whole multiple of the range are drawn again, so every code is as
    // likely as any other.
    constexpr juce::uint32 codes = 900000, fair = 0xffffffffu - 0xffffffffu % codes;
    for (int tries = 0; tries < 100; ++tries)
    {
        juce::uint32 draw = 0;
        if (! platform::secureRandom::fill (&draw, sizeof (draw)))
            break;
        if (draw < fair)
        {
            pairingCode = juce::String (100000 + draw % codes);
            break;
        }
    }
}

juce::String PairingGate::newToken()
{
    unsigned char bytes[16];
    if (! platform::secureRandom::fill (bytes, sizeof (bytes)))
        return {};
    return juce::String::toHexString (bytes, (int) sizeof (bytes), 0);
}

juce::String PairingGate::session()
{
    auto token = newToken();
    if (token.isNotEmpty())
        sessions.insert (token);
    return token;
}

PairingGate::Answer PairingGate::pair (const juce::String& address, const juce::String& typed, juce::uint32 nowMs,
                                       juce::String& token)
{
    if (pairingCode.isEmpty())
        return Answer::slowDown;
    auto& m = misses[address];
    if (m.count > 0 && (int) (m.lockedUntil - nowMs) > 0)
        return Answer::slowDown;

    // Compared in full whatever the first difference, so the time taken says nothing.
    int differences = typed.length() != pairingCode.length() ? 1 : 0;
    for (int i = 0; i < pairingCode.length(); ++i)
        differences |= (int) (typed[i] != pairingCode[i]);

    if (differences != 0)
    {
        ++m.count;
        const auto lock = juce::jmin (longestLockMs, firstLockMs << juce::jmin (m.count - 1, 5));
        m.lockedUntil = nowMs + lock;
        return Answer::wrongCode;
    }

    misses.erase (address);
    token = session();
    return token.isNotEmpty() ? Answer::paired : Answer::slowDown;
}

bool PairingGate::isSession (const juce::String& token) const
{
    return token.isNotEmpty() && sessions.count (token) > 0;
}

} // namespace arx
