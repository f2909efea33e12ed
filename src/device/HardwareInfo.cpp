#include "device/HardwareInfo.h"

#include <cstring>

namespace arx
{

namespace
{
// Registry text may be anything: take it as UTF-8 when it is, byte by byte otherwise.
juce::String textFromBytes (const char* text, size_t maxBytes)
{
    size_t length = 0;
    while (length < maxBytes && text[length] != 0)
        ++length;

    if (juce::CharPointer_UTF8::isValidString (text, int (length)))
        return juce::String::fromUTF8 (text, int (length));

    juce::String result;
    for (size_t i = 0; i < length; ++i)
        result += juce::juce_wchar (static_cast<uint8_t> (text[i]));
    return result;
}
} // namespace

HardwareInfo::HardwareInfo() noexcept
{
    std::memset (&record, 0, sizeof (record));
}

bool HardwareInfo::decode (const void* data, size_t size) noexcept
{
    std::memset (&record, 0, sizeof (record));

    if (size > registrySize || (data == nullptr && size > 0))
        return false;

    if (size > 0)
        std::memcpy (&record, data, size);

    deriveMaps();
    return true;
}

int HardwareInfo::clampGroupCount (uint32_t stored) noexcept
{
    return stored > uint32_t (maxGroups) ? maxGroups : int (stored);
}

void HardwareInfo::deriveMap (MapEntry* map, const Group* groups, int groupCount) noexcept
{
    std::memset (map, unmapped, sizeof (MapEntry) * maxMappedChannels);

    int n = 0;
    for (int g = 0; g < groupCount; ++g)
    {
        for (int k = 0; k < groups[g].channels; ++k)
        {
            map[n] = { groups[g].kind, uint8_t (g), uint8_t (k) };
            if (++n == maxMappedChannels)
                return;
        }
    }
}

void HardwareInfo::deriveMaps() noexcept
{
    deriveMap (record.inputMap, record.inputGroups, clampGroupCount (record.inputGroupCount));
    deriveMap (record.outputMap, record.outputGroups, clampGroupCount (record.outputGroupCount));
}

juce::String HardwareInfo::modelName() const
{
    return textFromBytes (record.modelName, sizeof (record.modelName));
}

int HardwareInfo::playbackCount (int sampleRate) const noexcept
{
    if (sampleRate > 100000)
        return int (record.playbackCount4x);
    if (sampleRate > 50000)
        return int (record.playbackCount2x);
    return int (record.playbackCount1x);
}

int HardwareInfo::groupKind (const Group* groups, int groupCount, int group) noexcept
{
    return group >= 0 && group < groupCount ? groups[group].kind : -1;
}

int HardwareInfo::inputGroupCount() const noexcept { return clampGroupCount (record.inputGroupCount); }
int HardwareInfo::outputGroupCount() const noexcept { return clampGroupCount (record.outputGroupCount); }

int HardwareInfo::inputGroupChannels (int group) const noexcept
{
    return group >= 0 && group < inputGroupCount() ? record.inputGroups[group].channels : 0;
}

int HardwareInfo::outputGroupChannels (int group) const noexcept
{
    return group >= 0 && group < outputGroupCount() ? record.outputGroups[group].channels : 0;
}

int HardwareInfo::inputGroupKind (int group) const noexcept
{
    return groupKind (record.inputGroups, inputGroupCount(), group);
}

int HardwareInfo::outputGroupKind (int group) const noexcept
{
    return groupKind (record.outputGroups, outputGroupCount(), group);
}

juce::String HardwareInfo::inputGroupName (int group) const { return inputKindName (inputGroupKind (group)); }
juce::String HardwareInfo::inputGroupShortName (int group) const { return inputKindShortName (inputGroupKind (group)); }
juce::String HardwareInfo::outputGroupName (int group) const { return outputKindName (outputGroupKind (group)); }
juce::String HardwareInfo::outputGroupShortName (int group) const { return outputKindShortName (outputGroupKind (group)); }

HardwareInfo::MapEntry HardwareInfo::inputEntry (int channel) const noexcept
{
    if (channel < 0 || channel >= maxMappedChannels)
        return { unmapped, unmapped, unmapped };
    return record.inputMap[channel];
}

HardwareInfo::MapEntry HardwareInfo::outputEntry (int channel) const noexcept
{
    if (channel < 0 || channel >= maxMappedChannels)
        return { unmapped, unmapped, unmapped };
    return record.outputMap[channel];
}

bool HardwareInfo::hasSpdifOutput() const noexcept
{
    for (int g = 0; g < outputGroupCount(); ++g)
        if (record.outputGroups[g].kind == 1)
            return true;
    return false;
}

bool HardwareInfo::hasExternalClocks() const noexcept
{
    constexpr uint32_t internalSources = (1u << 0) | (1u << 1) | (1u << 6);
    return (record.clockMask & ~internalSources) != 0;
}

bool HardwareInfo::clockAvailable (int source) const noexcept
{
    return source >= 0 && source < 32 && (record.clockMask & (1u << source)) != 0;
}

juce::String HardwareInfo::clockName (int source)
{
    static const char* const names[] = { "Internal", "FireWire", "Word", "S/PDIF", "ADAT", "ADAT B" };
    return source >= 0 && source < clockSourceCount ? juce::String (names[source]) : juce::String();
}

juce::String HardwareInfo::inputKindName (int kind)
{
    switch (kind)
    {
        case 0: return "Analog";
        case 1: return "S/PDIF";
        case 2: return "ADAT";
        case 7: return "Guitar";
        case 8: return "Piezo";
        case 9: return "String";
        default: return "Input";
    }
}

juce::String HardwareInfo::inputKindShortName (int kind)
{
    switch (kind)
    {
        case 0: return "A";
        case 1: return "S";
        case 2: return "ADAT";
        case 6: return {};
        case 7: return "G";
        case 8: return "P";
        case 9: return "S";
        default: return "In";
    }
}

juce::String HardwareInfo::outputKindName (int kind)
{
    switch (kind)
    {
        case 0: return "Analog";
        case 1: return "S/PDIF";
        case 2: return "ADAT";
        case 5: return "Headphones";
        default: return "Output";
    }
}

juce::String HardwareInfo::outputKindShortName (int kind)
{
    switch (kind)
    {
        case 0: return "A";
        case 1: return "S";
        case 2: return "ADAT";
        case 5: return "H";
        case 6: return {};
        default: return "Out";
    }
}

juce::String HardwareInfo::versionText (uint32_t v)
{
    juce::String text = juce::String (v >> 24) + "." + juce::String ((v >> 16) & 255);

    if (const auto third = (v >> 8) & 255; third != 0)
        text << "." << juce::String (third);
    if (const auto fourth = (v >> 4) & 15; fourth != 0)
        text << "." << juce::String (fourth);
    if ((v & 15) == 14)
        text << "E";

    return text;
}

} // namespace arx
