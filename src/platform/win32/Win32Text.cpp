#include "platform/win32/Win32Text.h"

namespace arx::platform::win32
{
namespace
{
bool isHighSurrogate (uint32_t u) noexcept { return u >= 0xD800 && u < 0xDC00; }
bool isLowSurrogate (uint32_t u) noexcept { return u >= 0xDC00 && u < 0xE000; }

void appendUtf8 (std::vector<uint8_t>& out, uint32_t c)
{
    if (c < 0x80)
    {
        out.push_back ((uint8_t) c);
    }
    else if (c < 0x800)
    {
        out.push_back ((uint8_t) (0xC0 | (c >> 6)));
        out.push_back ((uint8_t) (0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back ((uint8_t) (0xE0 | (c >> 12)));
        out.push_back ((uint8_t) (0x80 | ((c >> 6) & 0x3F)));
        out.push_back ((uint8_t) (0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back ((uint8_t) (0xF0 | (c >> 18)));
        out.push_back ((uint8_t) (0x80 | ((c >> 12) & 0x3F)));
        out.push_back ((uint8_t) (0x80 | ((c >> 6) & 0x3F)));
        out.push_back ((uint8_t) (0x80 | (c & 0x3F)));
    }
}
} // namespace

juce::String fromWide (const wchar_t* text, size_t maxUnits)
{
    if (text == nullptr)
        return {};
    size_t length = 0;
    while (length < maxUnits && text[length] != 0)
        ++length;
    const auto bytes = narrowRegistryText (text, length);
    return juce::String::fromUTF8 (reinterpret_cast<const char*> (bytes.data()), (int) bytes.size());
}

std::vector<uint8_t> narrowRegistryText (const wchar_t* units, size_t count)
{
    static_assert (sizeof (wchar_t) == 2, "Windows text is UTF-16");
    std::vector<uint8_t> out;
    out.reserve (count);
    for (size_t i = 0; i < count; ++i)
    {
        uint32_t c = (uint16_t) units[i];
        if (isHighSurrogate (c) && i + 1 < count && isLowSurrogate ((uint16_t) units[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + ((uint16_t) units[++i] - 0xDC00u);
        else if (isHighSurrogate (c) || isLowSurrogate (c))
            c = 0xFFFD;
        appendUtf8 (out, c);
    }
    return out;
}

} // namespace arx::platform::win32
