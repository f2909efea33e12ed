#pragma once

// The firmware check and the update of every image, with their dialogs: the question, the
// progress window with its warning while the flash thread works, and the final message. When
// the program closes its dialogs the question is answered No and the message is not shown, but
// an update under way runs to its end (ModalDialogs).
//
// Threads: message thread only; both run modal loops.

#include "device/Device.h"
#include "firmware/FirmwareRequirement.h"

namespace arx
{

// Asks to update the firmware when the device's firmware is out of date or `force` is set, and
// updates it when the user agrees. True when nothing was asked (the console may open); false
// whenever the question was asked, whatever the answer. `imageFolder` holds the DAT files; by
// default the program's own folder.
bool checkFirmware (Device& device, bool force, const juce::String& question,
                    const juce::File& imageFolder = {});

// Flashes every image of the row and returns once the user has closed the final message.
void flashAll (Device& device, const FirmwareRequirement& row, const juce::File& imageFolder = {});

} // namespace arx
