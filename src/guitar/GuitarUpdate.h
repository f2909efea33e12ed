#pragma once

// The guitar firmware update as the user goes through it: two preparations to confirm, then
// up to three attempts, each with its progress window and its result, with the guitar's reset
// explained between attempts.
//
// Threads: message thread; runs modal loops.

#include "device/Device.h"

namespace arx
{

// `firmwareFolder` holds guitar_body.pt2; by default the program's own folder.
void updateGuitar (Device& device, const juce::File& firmwareFolder = {});

} // namespace arx
