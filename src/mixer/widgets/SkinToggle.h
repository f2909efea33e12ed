#pragma once

#include "look/ConsoleSkin.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/ShownValue.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class GangButton;
class DeviceControl;

// An on/off button drawn from three skin images (off, on, held down) that hands a click to the
// hardware thread. Drawing and the console state follow the committed state (shownState), not
// the JUCE toggle state, which a click flips first. A ganged partner is switched to the same
// state, never toggled on its own.
//
// Threads: message thread, except store() of the bound control (any thread), which reads only
// the shown state, and a device read that replaces it (hardware thread).
class SkinToggle : public juce::Button
{
public:
    explicit SkinToggle (MixerHost& host);
    ~SkinToggle() override;

    void setImages (const ButtonImages& images);
    // After the subclass has set bounds and images: clicks toggle, then into `parent`.
    void setUp (juce::Component& parent);

    // shownState := the JUCE toggle state.
    virtual void commitState();
    // A click's commitState, and the control queued to send it.
    virtual void commitAndSend();
    // The control queued on the hardware thread for a click.
    virtual DeviceControl& deviceControl() = 0;

    bool getShownState() const noexcept { return shown.value() != 0.0f; }

    void setGang (GangButton* gangButton, SkinToggle* partnerButton) noexcept;

    // Button
    using juce::Button::clicked;
    void clicked() override;
    void paintButton (juce::Graphics&, bool isMouseOver, bool isButtonDown) override;
    // Message 0 (posted after a device read) shows shownState; others are the button's own.
    void handleCommandMessage (int commandId) override;

    // Inset of the hover highlight.
    static juce::Rectangle<int> hoverArea (int width, int height) { return { 4, 2, width - 8, height - 4 }; }
    static juce::Colour hoverColour() { return juce::Colour (0x10FFFFFF); }

protected:
    // Sets the JUCE toggle state to shownState without notification.
    void showCommittedState();

    MixerHost& host;
    ShownValue shown { 0, 0.0f };

private:
    ButtonImages images;
    GangButton* gang = nullptr;
    SkinToggle* partner = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SkinToggle)
};

} // namespace arx
