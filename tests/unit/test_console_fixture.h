#pragma once

// A console state bound to a device of the in-process lab, with an optional hook on every
// driver request so that tests can alter what comes back from the real simulated device.

#include "console/ConsoleState.h"
#include "device/Device.h"
#include "sim/DeviceLab.h"
#include "sim/InProcessPlatform.h"
#include "sim/SimProfiles.h"
#include "sim/SimSessionImage.h"

#include <functional>
#include <memory>
#include <vector>

namespace arx::test
{

struct RequestHook
{
    // Runs before the request reaches the device.
    std::function<void (uint32_t code, const uint32_t* in)> before;
    // Runs on the reply of a request that went through.
    std::function<void (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned)> after;
};

class HookedHandle : public platform::DeviceHandle
{
public:
    HookedHandle (std::unique_ptr<platform::DeviceHandle> innerHandle, RequestHook& requestHook)
        : inner (std::move (innerHandle)), hook (requestHook)
    {
    }

    bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t& returned) override
    {
        // Copied so that the hooks see the request even when in and out share a buffer.
        std::vector<uint32_t> request ((inSize + 3) / 4 + 1, 0);
        if (in != nullptr)
            std::memcpy (request.data(), in, inSize);

        if (hook.before)
            hook.before (code, request.data());

        const auto ok = inner->deviceIoControl (code, in, inSize, out, outSize, returned);

        if (ok && hook.after && out != nullptr)
            hook.after (code, request.data(), static_cast<uint32_t*> (out), returned);

        return ok;
    }

private:
    std::unique_ptr<platform::DeviceHandle> inner;
    RequestHook& hook;
};

class HookedPlatform : public platform::Platform
{
public:
    HookedPlatform (platform::Platform& innerPlatform, RequestHook& requestHook)
        : inner (innerPlatform), hook (requestHook)
    {
    }

    std::unique_ptr<platform::DeviceInfoSet> getClassDevs (const platform::Guid& g) override
    {
        return inner.getClassDevs (g);
    }

    std::unique_ptr<platform::DeviceHandle> createFile (const juce::String& path) override
    {
        auto handle = inner.createFile (path);
        if (handle == nullptr)
            return nullptr;
        return std::make_unique<HookedHandle> (std::move (handle), hook);
    }

    std::unique_ptr<platform::MessageWindow> createMessageWindow() override
    {
        return inner.createMessageWindow();
    }

    platform::NamedMutexResult createNamedMutex (const juce::String& name) override
    {
        return inner.createNamedMutex (name);
    }

    bool isVistaOrLater() const override { return inner.isVistaOrLater(); }
    std::shared_ptr<platform::AudioService> audioService() override { return inner.audioService(); }

private:
    platform::Platform& inner;
    RequestHook& hook;
};

// Word positions of a command packet (word 0 is the driver's).
constexpr int packetCategory = 4, packetCommand = 5, packetRetval = 6, packetParam0 = 7;

inline bool isSessionBlockRequest (uint32_t code, const uint32_t* in)
{
    return code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == 0
           && in[packetCommand] == 3;
}

// The lab's 260-byte description of a profile, altered by `change`.
inline juce::MemoryBlock hwinfoWith (std::function<void (sim::SimProfile&)> change)
{
    auto profile = *sim::SimProfiles::find ("arx");
    change (profile);
    return sim::SimProfiles::buildHwinfo (profile, 0);
}

class LabDevice
{
public:
    // `vista`: the device's system volume link is the endpoint one.
    explicit LabDevice (sim::PlugOptions options = {}, bool vista = false)
    {
        inProcess.setVistaOrLater (vista);
        sim = lab.plug (options);
        if (sim != nullptr)
            device = openDevice (hooked, sim->uniqueName());
    }

    // The device object of a plugged device, opened; null when the platform does not list it.
    static Device::Ptr openDevice (platform::Platform& platform, const juce::String& uniqueName,
                                NotificationWindow* window = nullptr)
    {
        auto set = platform.getClassDevs (platform::ARX_INTERFACE_CLASS);
        platform::DeviceInterfaceData data;

        for (int i = 0; set != nullptr && set->enumDeviceInterface (i, data); ++i)
        {
            if (data.devicePath == sim::DeviceLab::devicePath (uniqueName))
            {
                Device::Ptr device (new Device (platform, *set, data, window));
                device->open();
                return device;
            }
        }
        return {};
    }

    ~LabDevice()
    {
        if (device != nullptr)
            device->close();
    }

    std::vector<uint8_t> factoryImage() const
    {
        return sim::SimSessionImage::factory (sim->profile());
    }

    // The session read stops part-way: the device answers `retval` to the block request after
    // the first `blocksRead`, as a flash that fails there would.
    void failSessionReadAfter (int blocksRead, uint32_t retval = 2)
    {
        hook.before = [this, blocks = 0, blocksRead, retval] (uint32_t code, const uint32_t* in) mutable {
            if (isSessionBlockRequest (code, in) && ++blocks == blocksRead + 1)
            {
                sim::SimFaults error;
                error.errorRetval = retval;
                error.errorCount = 1;
                sim->addFault (error);
            }
        };
    }

    RequestHook hook;
    sim::DeviceLab lab;
    sim::InProcessPlatform inProcess { lab };
    HookedPlatform hooked { inProcess, hook };
    sim::SimDevice* sim = nullptr;
    Device::Ptr device;
};

} // namespace arx::test
