#include "mixer/MixPlaceEditor.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "mixer/EditPath.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/ChannelFlagButton.h"
#include "mixer/strips/MonitorFader.h"
#include "mixer/strips/MonitorFlagButton.h"
#include "mixer/strips/MonitorPanKnob.h"

namespace arx
{

namespace
{
bool isName (MixChange::Kind kind) noexcept
{
    return kind == MixChange::inputName || kind == MixChange::playbackName || kind == MixChange::outputName;
}

bool isLevel (MixChange::Kind kind) noexcept
{
    return kind == MixChange::monitorLevel || kind == MixChange::playbackLevel || kind == MixChange::outputLevel;
}

template <typename ControlType>
bool isChannelControl (const DeviceControl& control, int channel)
{
    const auto* c = dynamic_cast<const ControlType*> (&control);
    return c != nullptr && (c->getChannel() & 1) == (channel & 1);
}

template <typename ControlType>
bool isInputControl (const DeviceControl& control, int input)
{
    const auto* c = dynamic_cast<const ControlType*> (&control);
    return c != nullptr && c->getInput() == input;
}
} // namespace

MixPlaceEditor::MixPlaceEditor (ConsoleState& s, EditPath& p, DeviceControl* controlList, std::function<void()> names)
    : state (s), path (p), head (controlList), showNames (std::move (names))
{
}

int MixPlaceEditor::inputCount() const noexcept { return state.inputCount(); }
int MixPlaceEditor::outputCount() const noexcept { return state.outputCount(); }
int MixPlaceEditor::playbackCount() const noexcept { return state.playbackCount(); }

juce::var MixPlaceEditor::valueOf (const MixChange& place) const
{
    const int a = place.a, b = place.b;
    switch (place.kind)
    {
        case MixChange::monitorLevel: return Fader::shownLevelFor (state.monitorGain (a, b));
        case MixChange::monitorPan: return (double) state.monitorPan (a, b) * 2.0 - 1.0;
        case MixChange::monitorMute: return state.monitorMute (a, b) ? 1 : 0;
        case MixChange::monitorSolo: return state.monitorSolo (a, b) ? 1 : 0;
        case MixChange::playbackLevel: return Fader::shownLevelFor (state.playbackGain (a));
        case MixChange::playbackMute: return state.playbackMute (a) ? 1 : 0;
        case MixChange::playbackSolo: return state.playbackSolo (a) ? 1 : 0;
        case MixChange::playbackName: return state.playbackAlias (a);
        case MixChange::outputLevel: return Fader::shownLevelFor (state.outputGain (a));
        case MixChange::outputMute: return state.outputMute (a) ? 1 : 0;
        case MixChange::outputName: return state.outputAlias (a);
        case MixChange::inputName: return state.inputAlias (a);
        case MixChange::gangs: case MixChange::setting: default: return {};
    }
}

bool MixPlaceEditor::set (const MixChange& place, const juce::var& value)
{
    if (isName (place.kind))
    {
        if (! value.isString())
            return false;
        path.edit ([&] { writeState (place, value); });
        if (showNames)
            showNames();
        return true;
    }

    bool found = false;
    for (auto* c = head; c != nullptr && ! found; c = c->getNextInWindow())
        found = controls (*c, place);
    if (! found)
        return false;

    path.edit ([&] {
        MixChange partner { MixChange::setting };
        if (gangedPartner (place, partner))
        {
            // The partner moves by the step this place makes, as for a drag.
            if (isLevel (place.kind))
            {
                const double before = valueOf (place);
                setControlled (place, value);
                setControlled (partner, (double) valueOf (partner) + ((double) valueOf (place) - before));
            }
            else
            {
                setControlled (place, value);
                setControlled (partner, value);
            }
        }
        else
        {
            setControlled (place, value);
        }
    });
    return true;
}

void MixPlaceEditor::setControlled (const MixChange& place, const juce::var& value)
{
    // The state first, then the control shows it, so that the control's store() (which runs
    // when it is queued) writes the new value, never the one it showed.
    DeviceControl* sender = nullptr;
    for (auto* c = head; c != nullptr; c = c->getNextInWindow())
        if (controls (*c, place))
            sender = c;
    if (sender == nullptr)
        return;

    sender->applyEdit ([&] {
        writeState (place, value);
        showAndQueue (place);
        if (auto* banked = dynamic_cast<BankedDeviceControl*> (sender))
            banked->markBank (place.kind == MixChange::monitorLevel || place.kind == MixChange::monitorPan
                                      || place.kind == MixChange::monitorMute || place.kind == MixChange::monitorSolo
                                  ? place.b
                                  : place.a);
    });
}

void MixPlaceEditor::showAndQueue (const MixChange& place)
{
    for (auto* c = head; c != nullptr; c = c->getNextInWindow())
        if (controls (*c, place))
            c->refresh (state, false);
}

void MixPlaceEditor::writeState (const MixChange& place, const juce::var& value)
{
    const int a = place.a, b = place.b;
    const auto dB = [&value] { return (float) Fader::shownLevelFor ((double) value); };
    const bool on = (int) value != 0;
    switch (place.kind)
    {
        case MixChange::monitorLevel:
            state.setMonitorGain (a, b, dB());
            state.setMonitorGain (a, b + 1, dB());
            break;
        case MixChange::monitorPan: state.setMonitorPan (a, b, (float) (juce::jlimit (-1.0, 1.0, (double) value) + 1.0) / 2.0f); break;
        case MixChange::monitorMute: state.setMonitorMute (a, b, on); break;
        case MixChange::monitorSolo: state.setMonitorSolo (a, b, on); break;
        case MixChange::playbackLevel: state.setPlaybackGain (a, dB()); break;
        case MixChange::playbackMute: state.setPlaybackMute (a, on); break;
        case MixChange::playbackSolo: state.setPlaybackSolo (a, on); break;
        case MixChange::playbackName: state.setPlaybackAlias (a, value.toString()); break;
        case MixChange::outputLevel: state.setOutputGain (a, dB()); break;
        case MixChange::outputMute: state.setOutputMute (a, on); break;
        case MixChange::outputName: state.setOutputAlias (a, value.toString()); break;
        case MixChange::inputName: state.setInputAlias (a, value.toString()); break;
        case MixChange::gangs: case MixChange::setting: default: break;
    }
}

bool MixPlaceEditor::gangedPartner (const MixChange& place, MixChange& partner) const
{
    switch (place.kind)
    {
        case MixChange::playbackLevel: case MixChange::playbackMute: case MixChange::playbackSolo:
            if (! state.isPlaybackGanged (place.a))
                return false;
            break;
        case MixChange::outputLevel: case MixChange::outputMute:
            if (! state.isOutputGanged (place.a))
                return false;
            break;
        default:
            return false;
    }
    partner = { place.kind, place.a ^ 1, 0 };
    return partner.a < state.outputCount();
}

bool MixPlaceEditor::controls (const DeviceControl& c, const MixChange& place) const
{
    switch (place.kind)
    {
        case MixChange::monitorLevel: return isInputControl<MonitorFader> (c, place.a);
        case MixChange::monitorPan: return isInputControl<MonitorPanKnob> (c, place.a);
        case MixChange::monitorMute: return isInputControl<MonitorMuteButton> (c, place.a);
        case MixChange::monitorSolo: return isInputControl<MonitorSoloButton> (c, place.a);
        case MixChange::playbackLevel: return isChannelControl<PlaybackFader> (c, place.a);
        case MixChange::playbackMute: return isChannelControl<PlaybackMuteButton> (c, place.a);
        case MixChange::playbackSolo: return isChannelControl<PlaybackSoloButton> (c, place.a);
        case MixChange::outputLevel: return isChannelControl<OutputFader> (c, place.a);
        case MixChange::outputMute: return isChannelControl<OutputMuteButton> (c, place.a);
        default: return false;
    }
}

} // namespace arx
