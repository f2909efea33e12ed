#include "sim/SimProfiles.h"

#include <map>

namespace arx::sim
{
namespace
{
int countOf (const std::vector<SimChannelGroup>& groups)
{
    int n = 0;
    for (auto& g : groups)
        n += g.channels;
    return n;
}

uint8_t kindOf (const std::vector<SimChannelGroup>& groups, int channel)
{
    for (auto& g : groups)
    {
        if (channel < g.channels)
            return g.kind;
        channel -= g.channels;
    }
    return 0xFF;
}

SimProfile arxProfile()
{
    SimProfile p;
    p.name = "arx";
    p.inputGroups = { { 0, 2 }, { 7, 2 }, { 8, 1 }, { 9, 6 }, { 1, 2 } };
    p.outputGroups = { { 0, 2 }, { 5, 2 }, { 1, 2 } };
    return p;
}

std::vector<SimProfile> makeProfiles()
{
    std::vector<SimProfile> all;
    all.push_back (arxProfile());

    auto old = arxProfile();
    old.name = "arx-old";
    old.dspVersion = old.armVersion = old.fpgaVersion = 0x05010000;
    all.push_back (old);

    auto stereo = arxProfile();
    stereo.name = "stereo";
    stereo.outputGroups = { { 0, 2 } };
    stereo.playbackCount1x = stereo.playbackCount2x = 2;
    stereo.playbackCount4x = 2;
    all.push_back (stereo);

    auto wide = arxProfile();
    wide.name = "wide";
    wide.inputGroups = { { 0, 8 }, { 2, 8 } };
    wide.outputGroups = { { 0, 8 }, { 5, 2 }, { 1, 2 } };
    wide.clockMask = 0x1B; // adds ADAT
    wide.playbackCount1x = 16;
    wide.playbackCount2x = 12;
    wide.playbackCount4x = 8;
    all.push_back (wide);

    auto other = arxProfile();
    other.name = "other-vendor";
    other.vendorId = 0x1234;
    other.modelName = "Other";
    all.push_back (other);

    auto none = arxProfile();
    none.name = "no-hwinfo";
    none.hasHwinfo = false;
    all.push_back (none);

    // Session area in the small sectors, for the erase geometry below 0x10000.
    auto low = arxProfile();
    low.name = "arx-lowbase";
    low.sessionBase = 0x8000;
    all.push_back (low);

    auto noLock = arxProfile();
    noLock.name = "arx-nolock";
    noLock.flags = 0x10;
    all.push_back (noLock);

    // Every device in the lab has an identifier of its own, whichever its profile.
    for (size_t i = 0; i < all.size(); ++i)
        all[i].guidLowBase = 0x00010000u * (uint32_t) (i + 1);
    return all;
}

const std::vector<SimProfile>& profiles()
{
    static const std::vector<SimProfile> all = makeProfiles();
    return all;
}

void putWord (uint8_t* record, size_t word, uint32_t value)
{
    auto* p = record + word * 4;
    p[0] = (uint8_t) value;
    p[1] = (uint8_t) (value >> 8);
    p[2] = (uint8_t) (value >> 16);
    p[3] = (uint8_t) (value >> 24);
}

void putGroups (uint8_t* record, size_t offset, const std::vector<SimChannelGroup>& groups)
{
    for (size_t g = 0; g < groups.size() && g < 8; ++g)
    {
        record[offset + 2 * g] = groups[g].kind;
        record[offset + 2 * g + 1] = groups[g].channels;
    }
}
} // namespace

int SimProfile::inputCount() const noexcept { return countOf (inputGroups); }
int SimProfile::outputCount() const noexcept { return countOf (outputGroups); }
uint8_t SimProfile::inputKind (int channel) const noexcept { return kindOf (inputGroups, channel); }
uint8_t SimProfile::outputKind (int channel) const noexcept { return kindOf (outputGroups, channel); }

const SimProfile* SimProfiles::find (const juce::String& name)
{
    for (auto& p : profiles())
        if (p.name == name)
            return &p;
    return nullptr;
}

juce::StringArray SimProfiles::names()
{
    juce::StringArray result;
    for (auto& p : profiles())
        result.add (p.name);
    return result;
}

juce::MemoryBlock SimProfiles::buildHwinfo (const SimProfile& p, uint32_t index)
{
    juce::MemoryBlock block (hwinfoSize, true);
    auto* r = static_cast<uint8_t*> (block.getData());

    putWord (r, 0, p.flags);
    putWord (r, 1, (p.vendorId << 8) | 0x01);
    putWord (r, 2, p.guidLowBase + index);
    putWord (r, 3, p.hwType);
    putWord (r, 4, p.hwVersion);
    auto model = p.modelName.toRawUTF8();
    for (size_t i = 0; i < 31 && model[i] != 0; ++i)
        r[52 + i] = (uint8_t) model[i];
    putWord (r, 21, p.clockMask);
    putWord (r, 22, p.playbackCount1x);
    putWord (r, 23, (uint32_t) p.inputCount());
    putWord (r, 24, p.physCountA());
    putWord (r, 25, p.physCountB());
    putWord (r, 26, (uint32_t) p.outputGroups.size());
    putGroups (r, 108, p.outputGroups);
    putWord (r, 31, (uint32_t) p.inputGroups.size());
    putGroups (r, 128, p.inputGroups);
    putWord (r, 38, p.maxSampleRate);
    putWord (r, 39, p.minSampleRate);
    putWord (r, 40, p.dspVersion);
    putWord (r, 41, p.armVersion);
    putWord (r, 42, (uint32_t) p.outputCount());
    putWord (r, 44, p.fpgaVersion);
    putWord (r, 45, p.playbackCount2x);
    putWord (r, 47, p.playbackCount4x);
    return block;
}

} // namespace arx::sim
