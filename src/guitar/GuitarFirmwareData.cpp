#include "guitar/GuitarFirmwareData.h"

#include "firmware/FirmwareRequirement.h"

namespace arx
{
namespace
{
constexpr size_t nameOffset = 5;
constexpr size_t wordsAfterName = 12; // start word, second word, data length

uint32_t bigEndianWord (const uint8_t* p) noexcept
{
    return ((uint32_t) p[0] << 24) | ((uint32_t) p[1] << 16) | ((uint32_t) p[2] << 8) | p[3];
}

bool isHighSurrogate (uint32_t unit) noexcept { return unit >= 0xD800 && unit < 0xDC00; }
bool isLowSurrogate (uint32_t unit) noexcept { return unit >= 0xDC00 && unit < 0xE000; }
} // namespace

juce::File GuitarFirmwareData::file (const juce::File& folder)
{
    return (folder == juce::File() ? FirmwareRequirement::programFolder() : folder).getChildFile ("guitar_body.pt2");
}

GuitarFirmwareData::GuitarFirmwareData (const juce::File& source, bool& ok, juce::String& error)
{
    ok = false;
    if (! source.existsAsFile())
    {
        error = "Guitar firmware file " + source.getFullPathName() + " not found.";
        return;
    }
    const auto size = source.getSize();
    if (size < minFileBytes || size > maxFileBytes)
    {
        error = "Guitar firmware file invalid size.";
        return;
    }
    juce::MemoryBlock content;
    if (! source.loadFileAsData (content) || (int64_t) content.getSize() != size)
    {
        error = "Could not read guitar firmware file.";
        return;
    }
    ok = parse (static_cast<const uint8_t*> (content.getData()), content.getSize(), error);
}

GuitarFirmwareData::GuitarFirmwareData (const void* content, size_t size, bool& ok, juce::String& error)
{
    ok = false;
    if ((int64_t) size < minFileBytes || (int64_t) size > maxFileBytes || content == nullptr)
    {
        error = "Guitar firmware file invalid size.";
        return;
    }
    ok = parse (static_cast<const uint8_t*> (content), size, error);
}

bool GuitarFirmwareData::parse (const uint8_t* file, size_t size, juce::String& error)
{
    targetByte = file[0];
    if (targetByte > maxTarget)
    {
        error = "Guitar firmware file is damaged (its target " + juce::String (targetByte) + " is not a guitar part).";
        return false;
    }

    // The name runs in whole code units up to a zero unit, which must lie inside the file.
    size_t at = nameOffset;
    nameText.clear();
    for (;; at += 2)
    {
        if (at + 2 > size)
        {
            error = "Guitar firmware file is damaged (its name runs past the end of the file).";
            return false;
        }
        const uint32_t unit = ((uint32_t) file[at] << 8) | file[at + 1];
        if (unit == 0)
            break;
        const uint32_t next = at + 4 <= size ? ((uint32_t) file[at + 2] << 8) | file[at + 3] : 0;
        if (isHighSurrogate (unit) && isLowSurrogate (next))
        {
            nameText += (juce::juce_wchar) (0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            at += 2;
        }
        else
        {
            nameText += (juce::juce_wchar) (isHighSurrogate (unit) || isLowSurrogate (unit) ? 0xFFFD : unit);
        }
    }

    const size_t words = at + 2;
    if (words + wordsAfterName > size)
    {
        error = "Guitar firmware file is damaged (it ends inside its header).";
        return false;
    }
    start = bigEndianWord (file + words);
    second = bigEndianWord (file + words + 4);
    dataLength = bigEndianWord (file + words + 8);

    const size_t dataAt = words + wordsAfterName;
    if (dataLength > size - dataAt)
    {
        error = "Guitar firmware file is damaged (it holds fewer data bytes than its header says).";
        return false;
    }
    if (dataLength < packetBytes)
    {
        error = "Guitar firmware file holds no firmware to send.";
        return false;
    }
    bytes.replaceAll (file + dataAt, dataLength);
    return true;
}

} // namespace arx
