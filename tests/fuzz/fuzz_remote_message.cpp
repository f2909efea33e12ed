// The web remote's input path on arbitrary text: the request parser, then a "set" it takes
// written into an "arx" device's console state as the window's edit path does. A request that
// gets through must name a device and, for a "set", a channel and a finite value of its key's
// range; a write leaves the channel and its ganged partner within the device's level range.

#include "console/ConsoleState.h"
#include "remote/RemoteMessage.h"
#include "unit/test_console_fixture.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{
arx::ConsoleState& state()
{
    static arx::test::LabDevice lab;
    static arx::ConsoleState s (lab.device.get());
    // A new device's levels, every other pair ganged: a level moves its partner on some channels
    // and not on others.
    static const bool ganged = [] {
        s.resetToDefaults();
        s.setInputGangs (0x55555555u);
        s.setPlaybackGangs (0x55555555u);
        s.setOutputGangs (0x55555555u);
        return true;
    }();
    (void) ganged;
    return s;
}

bool inRange (float dB)
{
    return dB >= -128.0f && dB <= 6.0f;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    using Key = arx::RemoteRequest::Key;
    juce::String error;
    const auto r = arx::RemoteRequest::parse (reinterpret_cast<const char*> (data), size, error);
    if (! r)
    {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    if (r->type == arx::RemoteRequest::Type::list || r->type == arx::RemoteRequest::Type::meters)
        return 0;
    if (r->device.isEmpty())
        std::abort();
    if (r->type != arx::RemoteRequest::Type::set)
        return 0;
    if (r->a < 0 || r->a > arx::RemoteRequest::maxChannel || r->b < 0 || r->b > arx::RemoteRequest::maxChannel
        || ! std::isfinite (r->value) || *arx::RemoteRequest::keyName (r->key) == 0)
        std::abort();

    auto& s = state();
    if (! r->fits (s))
        return 0;
    r->applyTo (s);
    const int a = r->a, partner = a ^ 1, out = r->b & ~1;
    bool held = true;
    switch (r->key)
    {
        case Key::monitorLevel:
            held = inRange (s.monitorGain (a, out)) && s.monitorGain (a, out) == s.monitorGain (a, out + 1)
                   && (! s.isInputGanged (a) || partner >= s.inputCount() || inRange (s.monitorGain (partner, out)));
            break;
        case Key::playbackLevel:
            held = inRange (s.playbackGain (a)) && (! s.isPlaybackGanged (a) || partner >= s.playbackCount() || inRange (s.playbackGain (partner)));
            break;
        case Key::outputLevel:
            held = inRange (s.outputGain (a)) && (! s.isOutputGanged (a) || partner >= s.outputCount() || inRange (s.outputGain (partner)));
            break;
        default: break;
    }
    if (! held)
        std::abort();
    return 0;
}
