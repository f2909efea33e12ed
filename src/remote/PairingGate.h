#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <set>

namespace arx
{

// Who may use the web remote from another computer: whoever typed the six-digit code that the
// settings page shows, new each time the server starts. The code and the session tokens come from
// the system's cryptographic source; when it fails there is no code and nobody pairs. A right code gets a session token; a
// wrong one locks that address out for a while, doubling with each further miss (one second up
// to half a minute), so that guessing a million codes takes longer than anyone waits.
//
// Threads: the web server's thread; code() from any thread (it never changes).
class PairingGate
{
public:
    enum class Answer { paired, wrongCode, slowDown };

    static constexpr juce::uint32 firstLockMs = 1000;
    static constexpr juce::uint32 longestLockMs = 30000;

    PairingGate();

    const juce::String& code() const noexcept { return pairingCode; }

    // `token` gets the new session when the answer is `paired`.
    Answer pair (const juce::String& address, const juce::String& typed, juce::uint32 nowMs, juce::String& token);
    // A token handed out by pair() or session().
    bool isSession (const juce::String& token) const;
    // A session without a code (loopback).
    juce::String session();

private:
    struct Misses
    {
        int count = 0;
        juce::uint32 lockedUntil = 0;
    };

    static juce::String newToken();

    juce::String pairingCode;
    std::set<juce::String> sessions;
    std::map<juce::String, Misses> misses;
};

} // namespace arx
