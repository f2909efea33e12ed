#pragma once

#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

// Links the two channels of a stereo pair: while it is on, a fader drags its partner along and a
// mute or solo click sets the partner to the same state. Named "console_gang_button", by which a
// session load finds every gang. The subclass keeps the link in the console state's gang mask.
//
// Threads: message thread only.
class GangButton : public juce::Button
{
public:
    static constexpr const char* componentName = "console_gang_button";

    explicit GangButton (MixerHost& host);
    ~GangButton() override;

    // After the subclass has set the bounds: clicks toggle, then into `parent`.
    void setUp (juce::Component& parent);

    // Sets the toggle state from the gang mask, without notification.
    virtual void refreshFromState() = 0;
    // Writes the toggle state into the gang mask; a click runs it.
    virtual void storeLink() = 0;

    // Button
    using juce::Button::clicked;
    void clicked() final;
    void paintButton (juce::Graphics&, bool isMouseOver, bool isButtonDown) override;

private:
    MixerHost& host;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GangButton)
};

} // namespace arx
