#pragma once

// The About box: a small window of its own over the console window, which stays disabled
// while the box is open.
//
// To open it (the settings page's "About" button):
//     AboutBox::open (consoleWindow, device);
//
// Threads: message thread.

#include "device/Device.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class AboutBoxContent;

class AboutBox : public juce::DocumentWindow
{
public:
    // Disables the console window's top-level component, shows the box centred over it and
    // returns; when the box closes, the content goes, the console window is enabled again and
    // the box deletes itself. `onDesktop` is false only where no display may be used (tests).
    static AboutBox* open (juce::Component& consoleWindow, Device::Ptr device, bool onDesktop = true);

    // Detaches the content and ends the box (close button, "Close", Escape, after an update).
    void close();
    void closeButtonPressed() override { close(); }

    // Out of sight while an update's own windows run, then back, modal again (or closed, when
    // every dialog was closed meanwhile).
    void suspend();
    void resume();

    AboutBoxContent* getAboutContent() const noexcept { return content; }

    // The zoom of the console window it stands over.
    float getDesktopScaleFactor() const override { return scale * juce::Desktop::getInstance().getGlobalScaleFactor(); }

private:
    AboutBox (juce::Component& console, bool onDesktop);
    ~AboutBox() override;
    void placeOver (juce::Component& console);
    void showModally();
    void finish (bool contentMayBeBusy);

    juce::Component::SafePointer<juce::Component> console;
    const float scale;
    AboutBoxContent* content = nullptr;
    // Hiding a modal window ends its modal state; only the end of the current session counts.
    int session = 0;
    bool finished = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutBox)
};

} // namespace arx
