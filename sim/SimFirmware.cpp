#include "sim/SimFirmware.h"

namespace arx::sim
{
namespace
{
constexpr uint32_t datMagic[] = { 1651, 1, 0, 0, 0 };
constexpr int headerQuads = 64;
constexpr int valuesPerLine = 8;

// Data that differs from version to version and from image to image, and is never erased flash.
uint32_t dataQuad (juce::Random& random) noexcept
{
    for (;;)
        if (const auto q = (uint32_t) random.nextInt(); q != 0xFFFFFFFFu)
            return q;
}

juce::int64 seedOf (const SimImageLayout& layout, uint32_t version) noexcept
{
    return (juce::int64) juce::String (layout.name).hashCode64() ^ (juce::int64) version;
}

juce::String hexWord (uint32_t value)
{
    return "0x" + juce::String::toHexString ((juce::int64) value).paddedLeft ('0', 8).toUpperCase();
}
} // namespace

const std::vector<SimImageLayout>& SimFirmware::images()
{
    static const std::vector<SimImageLayout> all {
        { "arxarm", 1, 0x10000, 0x1800, 0x2000, &SimProfile::armVersion },
        { "arxfpga", 3, 0x20000, 0x3000, 0x4000, &SimProfile::fpgaVersion },
    };
    return all;
}

const SimImageLayout* SimFirmware::findImage (const juce::String& name)
{
    for (auto& layout : images())
        if (name == layout.name)
            return &layout;
    return nullptr;
}

std::vector<uint32_t> SimFirmware::flashQuads (const SimImageLayout& layout, uint32_t version)
{
    std::vector<uint32_t> quads (layout.paddedQuads, 0xFFFFFFFFu);
    juce::Random random (seedOf (layout, version));
    for (uint32_t q = 0; q < layout.dataQuads; ++q)
        quads[q] = dataQuad (random);
    quads[layout.paddedQuads - 2] = version;
    quads[layout.paddedQuads - 1] = endMark;
    return quads;
}

void SimFirmware::programFactoryImages (SimFlash& flash, const SimProfile& profile)
{
    for (auto& layout : images())
    {
        const auto quads = flashQuads (layout, profile.*layout.version);
        flash.program (layout.address, quads.data(), (uint32_t) quads.size() * 4);
    }
}

uint32_t SimFirmware::versionInFlash (const SimFlash& flash, const SimImageLayout& layout, uint32_t factoryVersion)
{
    uint32_t tail[2] {};
    if (flash.read (layout.address + (layout.paddedQuads - 2) * 4, tail, 2) && tail[1] == endMark)
        return tail[0];
    return (factoryVersion & 0xFF000000u) | backupBuildKind;
}

SimProfile SimFirmware::poweredUp (const SimProfile& profile, const SimFlash& flash)
{
    auto described = profile;
    for (auto& layout : images())
        described.*layout.version = versionInFlash (flash, layout, profile.*layout.version);
    return described;
}

juce::String SimFirmware::datText (const SimImageLayout& layout, uint32_t version)
{
    auto quads = flashQuads (layout, version);
    quads.resize (layout.dataQuads);
    return datText (layout.type, layout.address, quads, version, layout.paddedQuads);
}

juce::String SimFirmware::datText (uint32_t type, uint32_t address, const std::vector<uint32_t>& data,
                                   uint32_t version, uint32_t padTo, uint32_t endQuad)
{
    std::vector<uint32_t> header (headerQuads, 0);
    header[0] = type;
    header[1] = address;
    header[2] = (uint32_t) data.size();
    header[3] = endQuad;
    header[5] = version;
    header[6] = padTo != 0 ? 1u : 0u;
    header[7] = padTo;

    juce::StringArray magic;
    for (auto m : datMagic)
        magic.add (juce::String (m));
    juce::String text = magic.joinIntoString (" ") + "\r\n";

    juce::StringArray line;
    auto put = [&] (uint32_t value) {
        line.add (hexWord (value));
        if (line.size() == valuesPerLine)
        {
            text << line.joinIntoString (" ") << "\r\n";
            line.clear();
        }
    };
    for (auto q : header)
        put (q);
    for (auto q : data)
        put (q);
    if (! line.isEmpty())
        text << line.joinIntoString (" ") << "\r\n";
    return text;
}

bool SimFirmware::writeDatFiles (const juce::File& folder, uint32_t version)
{
    if (! folder.createDirectory())
        return false;
    for (auto& layout : images())
        if (! folder.getChildFile (juce::String (layout.name) + ".dat").replaceWithText (datText (layout, version)))
            return false;
    return true;
}

} // namespace arx::sim
