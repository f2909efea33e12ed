#include "console/SnapshotBank.h"

#include "console/ConsoleState.h"

#include <cstring>

namespace arx
{

namespace
{
constexpr const char* tagName = "SNAPSHOT";
}

SnapshotBank::SnapshotBank (juce::PropertiesFile& prefs, uint32_t deviceModel)
    : preferences (&prefs), model (deviceModel)
{
    for (int s = 0; s < slotCount; ++s)
        read (s);
}

juce::String SnapshotBank::key (int slot)
{
    return "snapshot " + juce::String (slot + 1);
}

bool SnapshotBank::isStored (int slot) const noexcept
{
    return isSlot (slot) && ! slots[(size_t) slot].image.empty();
}

juce::String SnapshotBank::name (int slot) const
{
    if (isSlot (slot) && slots[(size_t) slot].name.isNotEmpty())
        return slots[(size_t) slot].name;
    return "Snapshot " + juce::String (slot + 1);
}

juce::Time SnapshotBank::storedAt (int slot) const
{
    return isStored (slot) ? slots[(size_t) slot].time : juce::Time();
}

bool SnapshotBank::store (int slot, const ConsoleState& state)
{
    if (! isSlot (slot))
        return false;
    auto& s = slots[(size_t) slot];
    s.image.assign (state.image().bytes(), state.image().bytes() + SessionImage::byteCount);
    s.gangs = { state.inputGangs(), state.outputGangs(), state.playbackGangs() };
    s.time = juce::Time::getCurrentTime();
    write (slot);
    return true;
}

bool SnapshotBank::rename (int slot, const juce::String& newName)
{
    if (! isStored (slot))
        return false;
    slots[(size_t) slot].name = newName.trim();
    write (slot);
    return true;
}

bool SnapshotBank::fill (int slot, ConsoleState& state) const
{
    if (! isStored (slot))
        return false;
    const auto& s = slots[(size_t) slot];
    std::memcpy (state.image().bytes(), s.image.data(), SessionImage::byteCount);
    state.setInputGangs (s.gangs[0]);
    state.setOutputGangs (s.gangs[1]);
    state.setPlaybackGangs (s.gangs[2]);
    return true;
}

void SnapshotBank::read (int slot)
{
    auto& s = slots[(size_t) slot];
    s = {};
    const auto xml = preferences->getXmlValue (key (slot));
    if (xml == nullptr || ! xml->hasTagName (tagName))
        return;

    // Another model's mix has other channels: it is not offered here.
    if ((uint32_t) xml->getStringAttribute ("model").getLargeIntValue() != model)
        return;

    juce::MemoryOutputStream bytes;
    if (! juce::Base64::convertFromBase64 (bytes, xml->getAllSubText().trim())
        || bytes.getDataSize() != SessionImage::byteCount)
    {
        juce::Logger::writeToLog ("Console - snapshot " + juce::String (slot + 1) + " in the preferences is damaged; the slot shows empty");
        return;
    }

    const auto* data = static_cast<const uint8_t*> (bytes.getData());
    s.image.assign (data, data + SessionImage::byteCount);
    s.gangs = { (uint32_t) xml->getStringAttribute ("input-gangs").getLargeIntValue(),
                (uint32_t) xml->getStringAttribute ("output-gangs").getLargeIntValue(),
                (uint32_t) xml->getStringAttribute ("playback-gangs").getLargeIntValue() };
    s.name = xml->getStringAttribute ("name");
    s.time = juce::Time (xml->getStringAttribute ("time").getLargeIntValue());
}

void SnapshotBank::write (int slot)
{
    if (preferences == nullptr)
        return;

    const auto& s = slots[(size_t) slot];
    juce::XmlElement xml (tagName);
    xml.setAttribute ("name", s.name);
    xml.setAttribute ("time", juce::String (s.time.toMilliseconds()));
    xml.setAttribute ("model", juce::String ((juce::int64) model));
    xml.setAttribute ("input-gangs", juce::String ((juce::int64) s.gangs[0]));
    xml.setAttribute ("output-gangs", juce::String ((juce::int64) s.gangs[1]));
    xml.setAttribute ("playback-gangs", juce::String ((juce::int64) s.gangs[2]));
    xml.addTextElement (juce::Base64::toBase64 (s.image.data(), s.image.size()));
    preferences->setValue (key (slot), &xml);

    // A stored mix is worth more than the second the file waits for more changes.
    preferences->getFile().getParentDirectory().createDirectory();
    if (! preferences->saveIfNeeded())
        juce::Logger::writeToLog ("Console - could not write snapshot " + juce::String (slot + 1) + " to "
                                  + preferences->getFile().getFullPathName());
}

} // namespace arx
