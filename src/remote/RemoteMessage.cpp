#include "remote/RemoteMessage.h"

#include "console/ConsoleState.h"

#include <cmath>
#include <cstdint>

namespace arx
{

namespace
{
constexpr int maxDepth = 2;
constexpr int maxDigits = 9;

// Well-formed UTF-8 only: JUCE reads a malformed sequence one way when it takes a character and
// another when it steps over one (a stray 0xB8 reads as '8'), so nothing checked of the bytes
// would hold for what its JSON parser sees.
bool isUtf8 (const char* text, size_t size)
{
    for (size_t i = 0; i < size;)
    {
        const auto b = (uint8_t) text[i];
        const int extra = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        if (extra < 0 || size - i <= (size_t) extra)
            return false;
        // The second byte's narrower ranges rule out overlong forms, surrogates and code points
        // above U+10FFFF.
        const uint8_t low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
        const uint8_t high = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        for (int k = 1; k <= extra; ++k)
        {
            const auto c = (uint8_t) text[i + (size_t) k];
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
                return false;
        }
        i += (size_t) extra + 1;
    }
    return true;
}

// What JUCE's parser cannot take safely, refused before it: it recurses per bracket, and it
// reads a number's integer part and its exponent into integers that overflow. A request never
// nests, nor carries such long numbers. Strings are skipped as the parser reads them, in double
// or single quotes. Null when the text has neither.
const char* unsafeForParser (const char* text, size_t size)
{
    int depth = 0, digits = 0;
    char quote = 0;
    bool escaped = false;
    enum { none, integer, fraction, exponent } part = none;
    for (size_t i = 0; i < size; ++i)
    {
        const char c = text[i];
        if (quote != 0)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == quote)
                quote = 0;
            continue;
        }
        // The parser takes whatever follows a minus sign for a number's first digit, a quote too.
        if (c == '-' && ! (i + 1 < size && text[i + 1] >= '0' && text[i + 1] <= '9'))
            return "bad number";
        if (c >= '0' && c <= '9')
        {
            if (part == none)
                part = integer, digits = 0;
            if (part != fraction && ++digits > maxDigits)
                return "number too long";
            continue;
        }
        if (part == integer && c == '.')
            part = fraction;
        else if (part != none && (c == 'e' || c == 'E'))
            part = exponent, digits = 0;
        else if (! (part == exponent && digits == 0 && (c == '+' || c == '-')))
            part = none;

        if (c == '"' || c == '\'')
            quote = c;
        else if ((c == '{' || c == '[') && ++depth > maxDepth)
            return "nesting";
        else if (c == '}' || c == ']')
            --depth;
    }
    return nullptr;
}

struct KeyInfo
{
    const char* name;
    RemoteRequest::Key key;
    double low, high;
};

constexpr KeyInfo keys[] = {
    { "ml", RemoteRequest::Key::monitorLevel, -128.0, 6.0 },
    { "mp", RemoteRequest::Key::monitorPan, 0.0, 1.0 },
    { "mm", RemoteRequest::Key::monitorMute, 0.0, 1.0 },
    { "ms", RemoteRequest::Key::monitorSolo, 0.0, 1.0 },
    { "pl", RemoteRequest::Key::playbackLevel, -128.0, 6.0 },
    { "pm", RemoteRequest::Key::playbackMute, 0.0, 1.0 },
    { "ps", RemoteRequest::Key::playbackSolo, 0.0, 1.0 },
    { "ol", RemoteRequest::Key::outputLevel, -128.0, 6.0 },
    { "om", RemoteRequest::Key::outputMute, 0.0, 1.0 },
};

bool channelIn (const juce::var& v, int& out)
{
    if (! (v.isInt() || v.isInt64() || v.isDouble()))
        return false;
    const double d = v;
    if (! (d >= 0.0 && d <= RemoteRequest::maxChannel) || d != std::floor (d))
        return false;
    out = (int) d;
    return true;
}

bool isMonitor (RemoteRequest::Key key) noexcept
{
    using Key = RemoteRequest::Key;
    return key == Key::monitorLevel || key == Key::monitorPan || key == Key::monitorMute || key == Key::monitorSolo;
}

bool isPlayback (RemoteRequest::Key key) noexcept
{
    using Key = RemoteRequest::Key;
    return key == Key::playbackLevel || key == Key::playbackMute || key == Key::playbackSolo;
}
} // namespace

const char* RemoteRequest::keyName (Key key) noexcept
{
    for (const auto& k : keys)
        if (k.key == key)
            return k.name;
    return "";
}

std::optional<RemoteRequest> RemoteRequest::parse (const char* text, size_t size, juce::String& error)
{
    if (size == 0 || size > (size_t) maxBytes)
        return error = "size", std::nullopt;
    if (! isUtf8 (text, size))
        return error = "not UTF-8", std::nullopt;
    if (const auto* problem = unsafeForParser (text, size))
        return error = problem, std::nullopt;

    const auto utf8 = juce::String::fromUTF8 (text, (int) size);
    juce::var json;
    if (juce::JSON::parse (utf8, json).failed() || ! json.isObject())
        return error = "not a JSON object", std::nullopt;

    RemoteRequest r;
    const auto type = json["t"].toString();
    static const std::pair<const char*, Type> types[] = {
        { "list", Type::list }, { "open", Type::open }, { "set", Type::set }, { "begin", Type::begin },
        { "end", Type::end }, { "undo", Type::undo }, { "redo", Type::redo }, { "meters", Type::meters },
    };
    bool known = false;
    for (const auto& [name, t] : types)
        if (type == name)
            r.type = t, known = true;
    if (! known)
        return error = "unknown type", std::nullopt;

    if (r.type == Type::list)
        return r;
    if (r.type == Type::meters)
    {
        if (! json["on"].isBool())
            return error = "meters needs on", std::nullopt;
        r.on = json["on"];
        return r;
    }

    if (! json["dev"].isString() || json["dev"].toString().isEmpty() || json["dev"].toString().length() > 128)
        return error = "no device", std::nullopt;
    r.device = json["dev"].toString();
    if (r.type != Type::set)
        return r;

    const auto keyText = json["k"].toString();
    const KeyInfo* info = nullptr;
    for (const auto& k : keys)
        if (keyText == k.name)
            info = &k;
    if (info == nullptr)
        return error = "unknown key", std::nullopt;
    r.key = info->key;

    if (! channelIn (json["a"], r.a))
        return error = "bad channel", std::nullopt;
    if (isMonitor (r.key) && ! channelIn (json["b"], r.b))
        return error = "bad output", std::nullopt;

    const auto& v = json["v"];
    if (v.isBool())
        r.value = (bool) v ? 1.0 : 0.0;
    else if (v.isInt() || v.isInt64() || v.isDouble())
        r.value = (double) v;
    else
        return error = "bad value", std::nullopt;
    if (! std::isfinite (r.value) || r.value < info->low || r.value > info->high)
        return error = "value out of range", std::nullopt;
    r.on = r.value >= 0.5;
    return r;
}

bool RemoteRequest::fits (const ConsoleState& s) const noexcept
{
    const int channels = isMonitor (key) ? s.inputCount() : isPlayback (key) ? s.playbackCount() : s.outputCount();
    return a < channels && (! isMonitor (key) || (b | 1) < s.outputCount());
}

void RemoteRequest::applyTo (ConsoleState& state) const
{
    const int out = b & ~1;
    const auto v = (float) value;
    const auto move = [&] (bool ganged, auto&& get, auto&& set) {
        const float by = v - get (a);
        set (a, v);
        if (ganged)
            set (a ^ 1, juce::jlimit (-128.0f, 6.0f, get (a ^ 1) + by));
    };
    switch (key)
    {
        case Key::monitorLevel:
            move (state.isInputGanged (a) && (a ^ 1) < state.inputCount(),
                  [&] (int in) { return state.monitorGain (in, out); },
                  [&] (int in, float dB) { state.setMonitorGain (in, out, dB); state.setMonitorGain (in, out + 1, dB); });
            break;
        case Key::monitorPan: state.setMonitorPan (a, out, v); break;
        case Key::monitorMute: state.setMonitorMute (a, out, on); break;
        case Key::monitorSolo: state.setMonitorSolo (a, out, on); break;
        case Key::playbackLevel:
            move (state.isPlaybackGanged (a) && (a ^ 1) < state.playbackCount(),
                  [&] (int c) { return state.playbackGain (c); },
                  [&] (int c, float dB) { state.setPlaybackGain (c, dB); });
            break;
        case Key::playbackMute: state.setPlaybackMute (a, on); break;
        case Key::playbackSolo: state.setPlaybackSolo (a, on); break;
        case Key::outputLevel:
            move (state.isOutputGanged (a) && (a ^ 1) < state.outputCount(),
                  [&] (int c) { return state.outputGain (c); },
                  [&] (int c, float dB) { state.setOutputGain (c, dB); });
            break;
        case Key::outputMute: state.setOutputMute (a, on); break;
    }
}

} // namespace arx
