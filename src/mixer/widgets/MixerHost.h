#pragma once

#include "console/HwCtrl.h"

namespace arx
{

class ConsoleSkin;
class FaderTextBox;
class RudeSolo;

// What the mixer's widgets need from the window content that holds them: the hardware thread
// and the list of bound controls (HwCtrlHost), the skin, the ring of fader value boxes and the
// solo warning. The console state and the device are reached through the hardware thread.
//
// Threads: message thread, except getSoloWarning(), which a solo control may call on the
// hardware thread (the warning exists before that thread starts and outlives it).
class MixerHost : public HwCtrlHost
{
public:
    virtual ConsoleSkin& getSkin() = 0;

    // Links a value box into the ring that Tab and Shift+Tab walk, at its end.
    virtual void addTextBox (FaderTextBox& box) = 0;

    // Null until the page that holds it is built.
    virtual RudeSolo* getSoloWarning() = 0;
};

// Component::postCommandMessage takes a weak reference to the component, and the first weak
// reference of a component is made lazily and without a lock. Components that the hardware
// thread posts to make it on the message thread when they are built.
inline void acceptMessagesFromOtherThreads (juce::Component& component)
{
    [[maybe_unused]] juce::WeakReference<juce::Component> first (&component);
}

} // namespace arx
