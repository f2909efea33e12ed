#pragma once

#include <juce_core/juce_core.h>

namespace arx
{

class HardwareInfo;

// Names that the playback and output strips and the tab bar take from the device's output
// groups. Playback channels share the outputs' numbering.
namespace outputnames
{
// Whether the device has a single output group of two channels: a plain stereo device, whose
// channels are Left and Right.
bool isPlainStereo (const HardwareInfo* info) noexcept;

// The column header over output `output`: ANALOG, DIGITAL (S/PDIF, ADAT), HEADPHONES or OUTPUT.
juce::String kindTitle (const HardwareInfo* info, int output);

// "Out A1", "Out H2", "Out S1", ... ("Left"/"Right" on a plain stereo device).
juce::String defaultOutputName (const HardwareInfo* info, int output);

// "Play A1", "Play H2", ... ("Left"/"Right" on a plain stereo device).
juce::String defaultPlaybackName (const HardwareInfo* info, int channel);
} // namespace outputnames

} // namespace arx
