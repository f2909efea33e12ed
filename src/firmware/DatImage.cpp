#include "firmware/DatImage.h"

#include "device/HardwareInfo.h"

#include <cstring>
#include <limits>

namespace arx
{
namespace
{
constexpr int64_t maxFileBytes = 64 * 1024 * 1024; // far beyond any image; bounds the memory used
constexpr int64_t magicNumbers[] = { 1651, 1, 0, 0, 0 };
constexpr uint32_t describedAbove = 2048;
constexpr uint32_t backupBuildKind = 14;

juce::String framed (const juce::String& path, const juce::String& detail)
{
    return "DAT file error\n\n" + path + detail;
}

bool isSeparator (char c) noexcept
{
    return c == 0x02 || c == 0x03 || c == '\r' || c == '\n' || c == ' ';
}

// The next token of a text that ends at its first zero byte; null when none is left.
bool nextToken (const char*& text, const char*& token, size_t& length)
{
    while (*text != 0 && isSeparator (*text))
        ++text;
    if (*text == 0)
        return false;
    token = text;
    while (*text != 0 && ! isSeparator (*text))
        ++text;
    length = (size_t) (text - token);
    return true;
}

bool isDecimalDigit (char c) noexcept { return c >= '0' && c <= '9'; }

int hexDigitValue (char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// An optional sign and the leading decimal digits; the rest of the token is ignored.
bool readDecimal (const char* token, size_t length, int64_t& value)
{
    size_t i = 0;
    const bool negative = length > 0 && token[0] == '-';
    if (length > 0 && (token[0] == '-' || token[0] == '+'))
        ++i;
    if (i >= length || ! isDecimalDigit (token[i]))
        return false;

    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    value = 0;
    for (; i < length && isDecimalDigit (token[i]); ++i)
        value = std::min (limit + 1, value * 10 + (token[i] - '0')); // beyond any magic number
    if (negative)
        value = -value;
    return true;
}

// An optional "0x" and the leading hexadecimal digits; more than 32 bits read as all ones.
bool readHex (const char* token, size_t length, uint32_t& value)
{
    size_t i = 0;
    if (length > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X') && hexDigitValue (token[2]) >= 0)
        i = 2;
    if (i >= length || hexDigitValue (token[i]) < 0)
        return false;

    uint64_t v = 0;
    for (; i < length && hexDigitValue (token[i]) >= 0; ++i)
        v = std::min<uint64_t> (0x100000000ull, (v << 4) | (uint64_t) hexDigitValue (token[i]));
    value = (uint32_t) std::min<uint64_t> (v, 0xFFFFFFFFull);
    return true;
}
} // namespace

DatImage::DatImage() : quads ((size_t) maxQuads, 0xFFFFFFFFu) {}

bool DatImage::load (const juce::File& file, juce::String& error)
{
    const auto path = file.getFullPathName();
    juce::MemoryBlock bytes;
    if (file.getSize() > maxFileBytes)
    {
        error = "DAT file is too large.";
        return false;
    }
    if (! file.loadFileAsData (bytes))
        bytes.reset();
    return parse (bytes.getData(), bytes.getSize(), path, error);
}

bool DatImage::parse (const void* data, size_t size, const juce::String& path, juce::String& error)
{
    std::fill (quads.begin(), quads.end(), 0xFFFFFFFFu);
    total = 0;
    dataQuads = 0;

    if (data == nullptr || size == 0)
    {
        error = framed (path, " has no data.");
        return false;
    }

    // The last byte becomes the end of the text: DAT files end with a line end.
    std::vector<char> text ((const char*) data, (const char*) data + size);
    text.back() = 0;
    const char* cursor = text.data();

    return readMagic (cursor, path, error) && readValues (cursor, path, error) && checkHeader (path, error)
           && pad (path, error);
}

bool DatImage::readMagic (const char*& text, const juce::String& path, juce::String& error)
{
    for (auto expected : magicNumbers)
    {
        const char* token = nullptr;
        size_t length = 0;
        int64_t value = 0;
        if (! nextToken (text, token, length))
            error = framed (path, "\n\nIncomplete DAT header");
        else if (! readDecimal (token, length, value))
            error = framed (path, "\n\nNot enough magic numbers in header");
        else if (value != expected)
            error = framed (path, "\n\nBad magic number");
        else
            continue;
        return false;
    }
    return true;
}

bool DatImage::readValues (const char*& text, const juce::String& path, juce::String& error)
{
    const char* token = nullptr;
    size_t length = 0;
    while (nextToken (text, token, length))
    {
        if (total >= maxQuads)
        {
            error = "DAT file is too large.";
            return false;
        }
        if (! readHex (token, length, quads[(size_t) total]))
        {
            error = framed (path, "\n\nNot enough data");
            return false;
        }
        ++total;
    }
    return true;
}

bool DatImage::checkHeader (const juce::String& path, juce::String& error) const
{
    const uint32_t start = startAddress();
    const uint32_t count = header (quadCountField);

    if (type() > fpga)
        error = "Invalid DAT type";
    else if (count == 0)
        error = framed (path, "\n\nQuad count in header is zero.");
    else if (count * 4u > flashBytes - start) // 32-bit on purpose: a start past the end wraps here
        error = framed (path, "\n\nImage goes past physical end of flash memory.");
    else if (start >= flashBytes)
        error = framed (path, "\n\nStart address is past physical end of flash memory.");
    else if ((int64_t) count != (int64_t) total - headerQuads)
        error = framed (path, "\n\nHeader quad count does not match file size.");
    // An erase takes the whole sector: what lies in it before the image would be lost.
    else if (! FlashLayout::startsSector (start))
        error = framed (path, juce::String::formatted ("\n\nStart address 0x%08X is not at the start of a flash sector.", start));
    else
        return true;
    return false;
}

// The padded length must fit the buffer and the flash, or the padding quads would land outside.
bool DatImage::pad (const juce::String& path, juce::String& error)
{
    dataQuads = header (quadCountField);
    const uint32_t padded = header (paddedLengthField);
    if (header (padFlagField) == 0 || dataQuads >= padded)
        return true;

    if (padded > (uint32_t) maxDataQuads)
    {
        error = framed (path, "\n\nPadded length is larger than the largest image.");
        return false;
    }
    if ((uint64_t) startAddress() + 4ull * padded > flashBytes)
    {
        error = framed (path, "\n\nPadded image goes past physical end of flash memory.");
        return false;
    }

    dataQuads = padded;
    auto* d = quads.data() + headerQuads;
    d[padded - 1] = header (endQuadField);
    d[padded - 2] = version();
    return true;
}

juce::String DatImage::description() const
{
    if (dataQuads <= describedAbove)
        return {};

    juce::String name;
    if ((version() & 0xF) == backupBuildKind)
        name = "Backup code ";
    else if (type() == dspCode)
        name = "DSP code ";
    else if (type() == armCode)
        name = "ARM code ";
    else if (type() == fpga)
        name = "FPGA ";
    return name + HardwareInfo::versionText (version());
}

} // namespace arx
