#include "remote/OscAddress.h"

#include <cmath>

namespace arx
{

namespace
{
// A 1-based number of at most three digits and no leading zero, as 0-based; -1 otherwise.
int indexOf (const juce::String& part)
{
    if (part.isEmpty() || part.length() > 3 || part[0] == '0' || ! part.containsOnly ("0123456789"))
        return -1;
    return part.getIntValue() - 1;
}

struct Leaf
{
    const char* group;
    const char* leaf;
    MixChange::Kind kind;
};

constexpr Leaf channelLeaves[] = {
    { "playback", "level", MixChange::playbackLevel }, { "playback", "mute", MixChange::playbackMute },
    { "playback", "solo", MixChange::playbackSolo },   { "playback", "name", MixChange::playbackName },
    { "output", "level", MixChange::outputLevel },     { "output", "mute", MixChange::outputMute },
    { "output", "name", MixChange::outputName },       { "input", "name", MixChange::inputName },
};

constexpr Leaf monitorLeaves[] = {
    { "monitor", "level", MixChange::monitorLevel }, { "monitor", "pan", MixChange::monitorPan },
    { "monitor", "mute", MixChange::monitorMute },   { "monitor", "solo", MixChange::monitorSolo },
};
} // namespace

OscAddress OscAddress::parse (const juce::String& text)
{
    OscAddress address;
    auto parts = juce::StringArray::fromTokens (text, "/", {});
    if (parts.size() < 3 || parts[0].isNotEmpty() || parts[1] != "arx")
        return address;
    parts.removeRange (0, 2);

    if (parts.size() == 1)
    {
        if (parts[0] == "devices") address.kind = devices;
        else if (parts[0] == "subscribe") address.kind = subscribe;
        else if (parts[0] == "unsubscribe") address.kind = unsubscribe;
        return address;
    }

    address.device = parts[0];
    if (address.device.isEmpty())
        return address;

    if (parts.size() == 2)
    {
        if (parts[0] == "subscribe" && parts[1] == "meters")
        {
            address.kind = subscribeMeters;
            address.device.clear();
        }
        else if (parts[1] == "undo") address.kind = undo;
        else if (parts[1] == "redo") address.kind = redo;
        return address;
    }

    if (parts.size() == 4 && parts[1] == "snapshot")
    {
        constexpr int slots = 8;
        const int slot = indexOf (parts[2]);
        if (slot < 0 || slot >= slots)
            return address;
        address.snapshot = slot;
        if (parts[3] == "recall") address.kind = snapshotRecall;
        else if (parts[3] == "store") address.kind = snapshotStore;
        else if (parts[3] == "name") address.kind = snapshotName;
        return address;
    }

    if (parts.size() == 4)
    {
        const int channel = indexOf (parts[2]);
        for (const auto& leaf : channelLeaves)
            if (channel >= 0 && parts[1] == leaf.group && parts[3] == leaf.leaf)
            {
                address.kind = control;
                address.place = { leaf.kind, channel, 0 };
            }
    }
    else if (parts.size() == 5)
    {
        const int input = indexOf (parts[2]);
        const int pair = indexOf (parts[3]);
        for (const auto& leaf : monitorLeaves)
            if (input >= 0 && pair >= 0 && parts[1] == leaf.group && parts[4] == leaf.leaf)
            {
                address.kind = control;
                address.place = { leaf.kind, input, 2 * pair };
            }
    }
    return address;
}

juce::String OscAddress::of (const MixChange& place, const juce::String& device)
{
    const auto base = "/arx/" + device + "/";
    const auto number = [] (int zeroBased) { return juce::String (zeroBased + 1); };
    for (const auto& leaf : monitorLeaves)
        if (leaf.kind == place.kind)
            return base + leaf.group + "/" + number (place.a) + "/" + number (place.b / 2) + "/" + leaf.leaf;
    for (const auto& leaf : channelLeaves)
        if (leaf.kind == place.kind)
            return base + leaf.group + "/" + number (place.a) + "/" + leaf.leaf;
    return {};
}

juce::String OscAddress::metersOf (const juce::String& device, bool inputs)
{
    return "/arx/" + device + (inputs ? "/meters/input" : "/meters/output");
}

OscAddress::ValueType OscAddress::valueTypeOf (MixChange::Kind kind) noexcept
{
    switch (kind)
    {
        case MixChange::monitorLevel: case MixChange::playbackLevel: case MixChange::outputLevel: return level;
        case MixChange::monitorPan: return pan;
        case MixChange::monitorMute: case MixChange::monitorSolo: case MixChange::playbackMute:
        case MixChange::playbackSolo: case MixChange::outputMute: return flag;
        case MixChange::inputName: case MixChange::playbackName: case MixChange::outputName: return name;
        case MixChange::gangs: case MixChange::setting: default: return none;
    }
}

bool OscAddress::fits (int inputs, int outputs, int playbacks) const noexcept
{
    if (kind != control)
        return true;
    switch (place.kind)
    {
        case MixChange::monitorLevel: case MixChange::monitorPan: case MixChange::monitorMute: case MixChange::monitorSolo:
            return place.a < inputs && place.b + 1 < outputs;
        case MixChange::playbackLevel: case MixChange::playbackMute: case MixChange::playbackSolo:
            // Playback strips follow the output pairs.
            return place.a < playbacks && place.a < outputs;
        case MixChange::playbackName: return place.a < playbacks;
        case MixChange::outputLevel: case MixChange::outputMute: case MixChange::outputName: return place.a < outputs;
        case MixChange::inputName: return place.a < inputs;
        case MixChange::gangs: case MixChange::setting: default: return false;
    }
}

bool OscAddress::checkValue (const juce::OSCArgument& arg, juce::String& problem) const
{
    switch (valueType())
    {
        case level:
        case pan:
            if (arg.isFloat32() && std::isfinite (arg.getFloat32()))
                return true;
            if (arg.isInt32())
                return true;
            problem = "wants a finite float";
            return false;
        case flag:
            if (arg.isInt32() && (arg.getInt32() == 0 || arg.getInt32() == 1))
                return true;
            problem = "wants an int 0 or 1";
            return false;
        case name:
            if (arg.isString())
                return true;
            problem = "wants a string";
            return false;
        case none:
        default:
            problem = "takes no value";
            return false;
    }
}

} // namespace arx
