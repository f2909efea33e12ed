#pragma once

// The guitar firmware update as the user goes through it: two preparations to confirm, then
// up to three attempts, each with its progress window and its result, with the guitar's reset
// explained between attempts. When the program closes its dialogs every question is answered
// Cancel and no result is shown, but an attempt under way runs to its end (ModalDialogs).
//
// Threads: message thread; runs modal loops.

#include "device/Device.h"

namespace arx
{

// `firmwareFolder` holds guitar_body.pt2; by default the program's own folder.
void updateGuitar (Device& device, const juce::File& firmwareFolder = {});

} // namespace arx
