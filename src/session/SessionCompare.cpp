#include "session/SessionCompare.h"

#include "console/ConsoleState.h"
#include "device/HardwareInfo.h"

#include <algorithm>
#include <set>

namespace arx
{

namespace
{
juce::String dB (float v)
{
    return v <= -144.0f ? juce::String ("-inf dB") : juce::String (v, 1) + " dB";
}

juce::String onOff (bool on)
{
    return on ? "on" : "off";
}

juce::String quoted (const juce::String& s)
{
    return "\"" + s + "\"";
}

// "what: old > new", or nothing when both are the same.
juce::String change (const juce::String& what, const juce::String& before, const juce::String& after)
{
    return before == after ? juce::String() : what + " " + before + " > " + after;
}

juce::String joined (const juce::StringArray& parts)
{
    juce::StringArray some (parts);
    some.removeEmptyStrings();
    return some.joinIntoString (", ");
}

juce::String pairs (uint32_t mask)
{
    juce::StringArray linked;
    for (int p = 0; p < 20; ++p)
        if ((mask >> p) & 1u)
            linked.add (juce::String (2 * p + 1) + "-" + juce::String (2 * p + 2));
    return linked.isEmpty() ? juce::String ("none") : linked.joinIntoString (" ");
}
} // namespace

SessionCompare::SessionCompare (const ConsoleState& now, const ConsoleState& wanted)
    : diff (MixDiff::between (MixSnapshot::of (now), MixSnapshot::of (wanted)))
{
    for (const auto& c : diff.changes())
        describe (now, wanted, c);

    // Output pairs first, in order, then the other groups in the order of their keys.
    std::sort (groups.begin(), groups.end(), [] (const Group& a, const Group& b) { return a.key < b.key; });
}

void SessionCompare::addSampleRate (uint32_t now, uint32_t loaded)
{
    if (now == loaded)
        return;
    auto& g = groupFor (settingsKey);
    g.title = "Settings page";
    g.lines.add ("Sample rate: " + juce::String (now) + " Hz > " + juce::String (loaded) + " Hz (Load all only)");
    std::sort (groups.begin(), groups.end(), [] (const Group& a, const Group& b) { return a.key < b.key; });
}

int SessionCompare::keyOf (const MixChange& c) noexcept
{
    switch (c.kind)
    {
        case MixChange::monitorLevel:
        case MixChange::monitorPan:
        case MixChange::monitorMute:
        case MixChange::monitorSolo: return c.b / 2;
        case MixChange::playbackLevel:
        case MixChange::playbackMute:
        case MixChange::playbackSolo: return playbackKey;
        case MixChange::outputLevel:
        case MixChange::outputMute: return outputsKey;
        case MixChange::inputName:
        case MixChange::playbackName:
        case MixChange::outputName: return namesKey;
        case MixChange::gangs: return gangsKey;
        case MixChange::setting: break;
    }
    return settingsKey;
}

SessionCompare::Group& SessionCompare::groupFor (int key)
{
    for (auto& g : groups)
        if (g.key == key)
            return g;
    groups.push_back ({ key, {}, {} });
    return groups.back();
}

MixDiff SessionCompare::part (const std::vector<bool>& ticked) const
{
    std::set<int> keys;
    for (size_t i = 0; i < groups.size() && i < ticked.size(); ++i)
        if (ticked[i])
            keys.insert (groups[i].key);
    return diff.only ([&keys] (const MixChange& c) { return keys.count (keyOf (c)) != 0; });
}

void SessionCompare::describe (const ConsoleState& now, const ConsoleState& wanted, const MixChange& c)
{
    const int key = keyOf (c);
    auto& g = groupFor (key);
    const auto* info = now.info();

    if (key < playbackKey)
    {
        const int out = 2 * key;
        if (g.title.isEmpty())
        {
            g.title = "Outputs " + juce::String (out + 1) + "-" + juce::String (out + 2);
            if (info != nullptr && out < info->outputCount())
                g.title << " (" << info->outputGroupName (info->outputGroupOf (out)) << ")";
        }
        // One line per input, whatever of its four values changed, on either side of the pair.
        const auto line = "Input " + juce::String (c.a + 1) + ": "
                          + joined ({ change ("level", dB (now.monitorGain (c.a, out)), dB (wanted.monitorGain (c.a, out))),
                                      change ("right level", dB (now.monitorGain (c.a, out + 1)),
                                              dB (wanted.monitorGain (c.a, out + 1))),
                                      change ("pan", juce::String (juce::roundToInt (now.monitorPan (c.a, out) * 100.0f)) + "%",
                                              juce::String (juce::roundToInt (wanted.monitorPan (c.a, out) * 100.0f)) + "%"),
                                      change ("mute", onOff (now.monitorMute (c.a, out)), onOff (wanted.monitorMute (c.a, out))),
                                      change ("solo", onOff (now.monitorSolo (c.a, out)), onOff (wanted.monitorSolo (c.a, out))) });
        g.lines.addIfNotAlreadyThere (line);
        return;
    }

    switch (key)
    {
        case playbackKey:
            g.title = "Playback";
            g.lines.addIfNotAlreadyThere (
                "Playback " + juce::String (c.a + 1) + ": "
                + joined ({ change ("level", dB (now.playbackGain (c.a)), dB (wanted.playbackGain (c.a))),
                            change ("mute", onOff (now.playbackMute (c.a)), onOff (wanted.playbackMute (c.a))),
                            change ("solo", onOff (now.playbackSolo (c.a)), onOff (wanted.playbackSolo (c.a))) }));
            break;
        case outputsKey:
            g.title = "Outputs";
            g.lines.addIfNotAlreadyThere (
                "Output " + juce::String (c.a + 1) + ": "
                + joined ({ change ("level", dB (now.outputGain (c.a)), dB (wanted.outputGain (c.a))),
                            change ("mute", onOff (now.outputMute (c.a)), onOff (wanted.outputMute (c.a))) }));
            break;
        case namesKey:
        {
            g.title = "Names";
            const bool input = c.kind == MixChange::inputName, playback = c.kind == MixChange::playbackName;
            const auto before = input ? now.inputAlias (c.a) : playback ? now.playbackAlias (c.a) : now.outputAlias (c.a);
            const auto after = input ? wanted.inputAlias (c.a) : playback ? wanted.playbackAlias (c.a) : wanted.outputAlias (c.a);
            g.lines.add ((input ? "Input " : playback ? "Playback " : "Output ") + juce::String (c.a + 1) + ": "
                         + quoted (before) + " > " + quoted (after));
            break;
        }
        case gangsKey:
        {
            g.title = "Gangs";
            static const char* const kinds[] = { "Input", "Output", "Playback" };
            const uint32_t before[] = { now.inputGangs(), now.outputGangs(), now.playbackGangs() };
            const uint32_t after[] = { wanted.inputGangs(), wanted.outputGangs(), wanted.playbackGangs() };
            g.lines.add (juce::String (kinds[c.a]) + " gangs: " + pairs (before[c.a]) + " > " + pairs (after[c.a]));
            break;
        }
        default:
        {
            g.title = "Settings page";
            const auto& a = now.image();
            const auto& b = wanted.image();
            g.lines.clear();
            const juce::String lines[] = {
                change ("Clock source:", juce::String (a.clockSource), juce::String (b.clockSource)),
                change ("S/PDIF format:", (a.flags & SessionImage::flagSpdifFormat) ? "professional" : "consumer",
                        (b.flags & SessionImage::flagSpdifFormat) ? "professional" : "consumer"),
                change ("Guitar auto charge:", onOff (now.guitarEnabled()), onOff (wanted.guitarEnabled())),
                change ("Guitar charge delay:", juce::String (a.guitarSetting) + " s", juce::String (b.guitarSetting) + " s")
            };
            for (const auto& l : lines)
                if (l.isNotEmpty())
                    g.lines.add (l);
            if (g.lines.isEmpty())
                g.lines.add ("Other device settings");
            break;
        }
    }
}

} // namespace arx
