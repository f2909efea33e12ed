#include "sim/InProcessPlatform.h"

#include "platform/MessageQueue.h"
#include "sim/SimEndpoints.h"

#include <mutex>
#include <set>

namespace arx::sim
{
using namespace arx::platform;

namespace
{
struct Entry
{
    juce::String path;
    std::optional<juce::MemoryBlock> hwinfo, uniqueName;
};

class InProcessKey : public RegistryKey
{
public:
    explicit InProcessKey (Entry e) : entry (std::move (e)) {}

    bool queryValue (const char* valueName, void* buffer, uint32_t& size) override
    {
        const juce::String key (valueName);
        const auto& value = key == "hwinfo_caps" ? entry.hwinfo
                            : key == "unique_name" ? entry.uniqueName
                                                   : std::optional<juce::MemoryBlock> {};
        if (! value || buffer == nullptr || value->getSize() > size)
            return false;
        std::memcpy (buffer, value->getData(), value->getSize());
        size = (uint32_t) value->getSize();
        return true;
    }

private:
    Entry entry;
};

class InProcessInfoSet : public DeviceInfoSet
{
public:
    explicit InProcessInfoSet (std::vector<Entry> e) : entries (std::move (e)) {}

    bool enumDeviceInterface (int index, DeviceInterfaceData& data) override
    {
        if (index < 0 || index >= (int) entries.size())
            return false;
        data.devicePath = entries[(size_t) index].path;
        return true;
    }

    std::unique_ptr<RegistryKey> openInterfaceRegKey (const DeviceInterfaceData& data) override
    {
        for (auto& e : entries)
            if (e.path == data.devicePath)
                return std::make_unique<InProcessKey> (e);
        return nullptr;
    }

private:
    std::vector<Entry> entries;
};

class InProcessHandle : public DeviceHandle
{
public:
    explicit InProcessHandle (SimDevice& d) : device (d) {}

    bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t& returned) override
    {
        // An unplugged device fails every request; the lab keeps the object alive.
        return device.deviceIoControl (code, in, inSize, out, outSize, returned);
    }

private:
    SimDevice& device;
};

class InProcessWindow : public MessageWindow, private DeviceLab::Listener
{
public:
    explicit InProcessWindow (DeviceLab& l) : lab (l) {}
    ~InProcessWindow() override { unregisterDeviceNotification(); }

    bool getMessage (Win32Message& message) override { return queue.take (message); }

    void postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        queue.post (message, wParam, lParam);
    }

    bool registerDeviceNotification (const Guid& interfaceClass) override
    {
        if (! (interfaceClass == ARX_INTERFACE_CLASS))
            return false;
        lab.addListener (this);
        return true;
    }

    void unregisterDeviceNotification() override { lab.removeListener (this); }

private:
    void deviceArrived (SimDevice& d) override
    {
        queue.postDeviceChange (DBT_DEVICEARRIVAL, DeviceLab::devicePath (d.uniqueName()));
    }

    void deviceRemoved (SimDevice& d) override { queue.postDeviceRemoval (DeviceLab::devicePath (d.uniqueName())); }

    DeviceLab& lab;
    MessageQueue queue;
};

// Named mutexes of this process: the names held now.
std::mutex namedLock;
std::set<juce::String>& heldNames()
{
    static std::set<juce::String> names;
    return names;
}

class InProcessNamedMutex : public NamedMutex
{
public:
    explicit InProcessNamedMutex (juce::String n) : name (std::move (n)) {}
    ~InProcessNamedMutex() override
    {
        const std::lock_guard<std::mutex> guard (namedLock);
        heldNames().erase (name);
    }

private:
    juce::String name;
};
} // namespace

InProcessPlatform::InProcessPlatform (DeviceLab& l) : lab (l) {}
InProcessPlatform::~InProcessPlatform() = default;

std::unique_ptr<DeviceInfoSet> InProcessPlatform::getClassDevs (const Guid& interfaceClass)
{
    if (! (interfaceClass == ARX_INTERFACE_CLASS))
        return std::make_unique<InProcessInfoSet> (std::vector<Entry> {});
    std::vector<Entry> entries;
    for (auto* d : lab.devices())
    {
        Entry e;
        e.path = DeviceLab::devicePath (d->uniqueName());
        if (auto* v = d->hwinfoValue())
            e.hwinfo = *v;
        if (auto* v = d->uniqueNameValue())
            e.uniqueName = *v;
        entries.push_back (std::move (e));
    }
    return std::make_unique<InProcessInfoSet> (std::move (entries));
}

std::unique_ptr<DeviceHandle> InProcessPlatform::createFile (const juce::String& devicePath)
{
    for (auto* d : lab.devices())
        if (DeviceLab::devicePath (d->uniqueName()).equalsIgnoreCase (devicePath))
            return std::make_unique<InProcessHandle> (*d);
    return nullptr;
}

std::unique_ptr<MessageWindow> InProcessPlatform::createMessageWindow()
{
    return std::make_unique<InProcessWindow> (lab);
}

NamedMutexResult InProcessPlatform::createNamedMutex (const juce::String& name)
{
    const std::lock_guard<std::mutex> guard (namedLock);
    NamedMutexResult result;
    if (heldNames().insert (name).second)
        result.mutex = std::make_unique<InProcessNamedMutex> (name);
    else
        result.heldElsewhere = true;
    return result;
}

std::shared_ptr<AudioService> InProcessPlatform::audioService()
{
    auto service = lab.endpointService();
    if (! service->isServiceAvailable())
        return nullptr;
    return service;
}

} // namespace arx::sim
