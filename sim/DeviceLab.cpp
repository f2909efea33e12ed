#include "sim/DeviceLab.h"

#include "sim/SimEndpoints.h"

#include <algorithm>

namespace arx::sim
{

DeviceLab::DeviceLab() : audio (std::make_shared<SimEndpoints> (*this)) {}

DeviceLab::~DeviceLab()
{
    audio->shutdown();
    const juce::ScopedLock sl (lock);
    for (auto& d : present)
        d->setUnplugHandler (nullptr);
}

juce::String DeviceLab::nextDefaultName() const
{
    for (int n = 1;; ++n)
    {
        auto candidate = "ARX-" + juce::String (n);
        if (find (candidate) == nullptr)
            return candidate;
    }
}

SimDevice* DeviceLab::plug (const PlugOptions& options)
{
    const auto* profile = SimProfiles::find (options.profile);
    if (profile == nullptr)
        return nullptr;

    std::shared_ptr<SimDevice> device;
    {
        const juce::ScopedLock sl (lock);
        const auto name = options.uniqueName.isNotEmpty() ? options.uniqueName : nextDefaultName();
        if (find (name) != nullptr)
            return nullptr;

        auto& flash = flashByName[name];
        if (flash == nullptr)
            flash = std::make_shared<SimFlash>();

        const auto known = indexByName.find (name);
        const auto index = known != indexByName.end() ? known->second
                                                      : (uint32_t) plugCountByProfile[profile->name]++;
        indexByName[name] = index;
        device = std::make_shared<SimDevice> (*profile, name, index, flash);
        if (options.hwinfoOverride)
            device->setHwinfoValue (options.hwinfoOverride);
        if (options.uniqueNameOverride)
            device->setUniqueNameValue (options.uniqueNameOverride);
        if (options.blankSession)
            device->blankSessionArea();

        device->setUnplugHandler ([this, name] { unplug (name); });
        present.push_back (device);
    }

    const juce::ScopedLock sl (listenerLock);
    for (auto* l : listeners)
        l->deviceArrived (*device);
    return device.get();
}

bool DeviceLab::unplug (const juce::String& uniqueName)
{
    std::shared_ptr<SimDevice> device;
    {
        const juce::ScopedLock sl (lock);
        auto it = std::find_if (present.begin(), present.end(),
                                [&] (auto& d) { return d->uniqueName() == uniqueName; });
        if (it == present.end())
            return false;
        device = *it;
        present.erase (it);
        retired.push_back (device);
    }
    device->setPresent (false);
    device->setUnplugHandler (nullptr);

    const juce::ScopedLock sl (listenerLock);
    for (auto* l : listeners)
        l->deviceRemoved (*device);
    return true;
}

SimDevice* DeviceLab::powerCycle (const juce::String& uniqueName)
{
    const auto* device = find (uniqueName);
    if (device == nullptr)
        return nullptr;
    PlugOptions options;
    options.profile = device->profile().name;
    options.uniqueName = uniqueName;
    unplug (uniqueName);
    return plug (options);
}

void DeviceLab::unplugAll()
{
    for (auto* d : devices())
        unplug (d->uniqueName());
}

SimDevice* DeviceLab::find (const juce::String& uniqueName) const
{
    const juce::ScopedLock sl (lock);
    for (auto& d : present)
        if (d->uniqueName() == uniqueName)
            return d.get();
    return nullptr;
}

std::vector<SimDevice*> DeviceLab::devices() const
{
    const juce::ScopedLock sl (lock);
    std::vector<SimDevice*> out;
    for (auto& d : present)
        out.push_back (d.get());
    return out;
}

juce::String DeviceLab::devicePath (const juce::String& uniqueName)
{
    return "\\\\?\\arxsim#" + uniqueName + "#{8e0985ca-509a-4718-a8a5-ef0cfc99ee87}";
}

void DeviceLab::addListener (Listener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    if (std::find (listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back (listener);
}

void DeviceLab::removeListener (Listener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.erase (std::remove (listeners.begin(), listeners.end(), listener), listeners.end());
}

} // namespace arx::sim
