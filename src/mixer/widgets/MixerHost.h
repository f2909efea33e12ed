#pragma once

#include "console/DeviceControl.h"

namespace arx
{

class ConsoleSkin;
class FaderTextBox;
class SoloWarning;

// What the mixer's widgets need from the window content that holds them: the hardware thread
// and the list of bound controls (DeviceControlHost), the skin, the ring of fader value boxes and the
// solo warning. The console state and the device are reached through the hardware thread.
//
// Threads: message thread, except getSoloWarning(), which a solo control may call on the
// hardware thread (the warning exists before that thread starts and outlives it).
class MixerHost : public DeviceControlHost
{
public:
    virtual ConsoleSkin& getSkin() = 0;

    // Links a value box into the ring that Tab and Shift+Tab walk, at its end.
    virtual void addTextBox (FaderTextBox& box) = 0;

    // Null until the page that holds it is built.
    virtual SoloWarning* getSoloWarning() = 0;
};

} // namespace arx
