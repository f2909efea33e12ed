#include "remote/PairingGate.h"

namespace arx
{

PairingGate::PairingGate()
{
    random.setSeedRandomly();
    pairingCode = juce::String (100000 + random.nextInt (900000));
}

juce::String PairingGate::newToken()
{
    juce::String token;
    for (int i = 0; i < 4; ++i)
        token << juce::String::toHexString (random.nextInt()).paddedLeft ('0', 8);
    return token;
}

juce::String PairingGate::session()
{
    auto token = newToken();
    sessions.insert (token);
    return token;
}

PairingGate::Answer PairingGate::pair (const juce::String& address, const juce::String& typed, juce::uint32 nowMs,
                                       juce::String& token)
{
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
    return Answer::paired;
}

bool PairingGate::isSession (const juce::String& token) const
{
    return token.isNotEmpty() && sessions.count (token) > 0;
}

} // namespace arx
