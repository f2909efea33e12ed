#pragma once

// What the fuzz targets share: the fuzzer's bytes as a source of answers, a device interface
// whose registry holds the "arx" profile's description, and a logger that keeps quiet.

#include "platform/Platform.h"
#include "sim/SimProfiles.h"

#include <algorithm>
#include <cstring>

namespace arx::fuzz
{

using namespace arx::platform;

class ReplySource
{
public:
    ReplySource (const uint8_t* d, size_t n) : data (d), size (n) {}

    uint8_t byte() { return pos < size ? data[pos++] : 0; }

    void fill (void* out, uint32_t count)
    {
        const auto take = (uint32_t) std::min<size_t> (count, size - pos);
        if (take > 0)
            std::memcpy (out, data + pos, take);
        pos += take;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

class FuzzKey : public RegistryKey
{
public:
    bool queryValue (const char* name, void* buffer, uint32_t& size) override
    {
        if (std::strcmp (name, "hwinfo_caps") == 0)
        {
            const auto caps = arx::sim::SimProfiles::buildHwinfo (*arx::sim::SimProfiles::find ("arx"), 0);
            if (caps.getSize() > size)
                return false;
            std::memcpy (buffer, caps.getData(), caps.getSize());
            size = (uint32_t) caps.getSize();
            return true;
        }
        return false;
    }
};

class FuzzSet : public DeviceInfoSet
{
public:
    bool enumDeviceInterface (int index, DeviceInterfaceData& data) override
    {
        data.devicePath = "fuzz";
        return index == 0;
    }

    std::unique_ptr<RegistryKey> openInterfaceRegKey (const DeviceInterfaceData&) override
    {
        return std::make_unique<FuzzKey>();
    }
};

// Discards the diagnostics: the fuzzer provokes every one of them.
class QuietLogger : public juce::Logger
{
    void logMessage (const juce::String&) override {}
};

} // namespace arx::fuzz
