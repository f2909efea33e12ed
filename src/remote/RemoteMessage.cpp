#include "remote/RemoteMessage.h"

#include <cmath>

namespace arx
{

namespace
{
constexpr int maxDepth = 2;

// JUCE's parser recurses per bracket: a request never nests, so deep text is refused before it.
bool nestsTooDeep (const char* text, size_t size)
{
    int depth = 0;
    bool inString = false, escaped = false;
    for (size_t i = 0; i < size; ++i)
    {
        const char c = text[i];
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        }
        else if (c == '"')
            inString = true;
        else if (c == '{' || c == '[')
        {
            if (++depth > maxDepth)
                return true;
        }
        else if (c == '}' || c == ']')
            --depth;
    }
    return false;
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
    if (nestsTooDeep (text, size))
        return error = "nesting", std::nullopt;

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
    const bool monitor = r.key == Key::monitorLevel || r.key == Key::monitorPan || r.key == Key::monitorMute
                         || r.key == Key::monitorSolo;
    if (monitor && ! channelIn (json["b"], r.b))
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

} // namespace arx
