#pragma once

// The set of simulated devices that are plugged in. Plugging publishes a device with its
// registry values; unplugging takes it away (requests on its open handles fail from then on).
// A device plugged again under the same unique name finds its flash as it left it.
// Thread-safe; listeners are called on the thread that plugs or unplugs, outside the lab lock.

#include "sim/SimDevice.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <vector>

namespace arx::sim
{

class SimEndpoints;

struct PlugOptions
{
    juce::String profile = "arx";
    juce::String uniqueName; // empty: "ARX-1", "ARX-2", ...
    std::optional<juce::MemoryBlock> hwinfoOverride;     // published instead of the profile's
    std::optional<juce::MemoryBlock> uniqueNameOverride; // raw registry value of "unique_name"
    bool blankSession = false; // the session area is left erased
};

class DeviceLab
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void deviceArrived (SimDevice& device) = 0;
        virtual void deviceRemoved (SimDevice& device) = 0;
    };

    DeviceLab();
    ~DeviceLab();

    // Null when the profile is unknown or the name is plugged in already.
    SimDevice* plug (const PlugOptions& options = {});
    bool unplug (const juce::String& uniqueName);
    // Unplug and plug again under the same name and profile: the device reads its firmware
    // versions from its flash anew. Null when no such device is plugged in.
    SimDevice* powerCycle (const juce::String& uniqueName);
    void unplugAll();

    // Present devices only.
    SimDevice* find (const juce::String& uniqueName) const;
    std::vector<SimDevice*> devices() const; // in plug order

    // The in-process device path of a unique name, e.g. "\\?\arxsim#ARX-1".
    static juce::String devicePath (const juce::String& uniqueName);

    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    // The system's audio side: the endpoints and legacy mixers of the plugged devices.
    SimEndpoints& endpoints() noexcept { return *audio; }
    std::shared_ptr<SimEndpoints> endpointService() const noexcept { return audio; }

    // The name the next plug without a name gets: "ARX-1", "ARX-2", ...
    juce::String nextDefaultName() const;

private:
    std::vector<std::shared_ptr<SimDevice>> present;  // plug order
    std::vector<std::shared_ptr<SimDevice>> retired;  // unplugged, kept for inspection
    std::map<juce::String, std::shared_ptr<SimFlash>> flashByName;
    std::map<juce::String, int> plugCountByProfile;
    std::map<juce::String, uint32_t> indexByName; // a device plugged again keeps its identity
    std::vector<Listener*> listeners;
    mutable juce::CriticalSection lock, listenerLock;
    std::shared_ptr<SimEndpoints> audio;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceLab)
};

} // namespace arx::sim
