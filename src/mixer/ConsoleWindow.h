#pragma once

// One console window per device: owns the device's console state, its preferences file, its
// skin and the content with the hardware thread. The application keeps the open windows in a
// ring through next/prev and deletes them; a window never deletes itself.
//
// Threads: message thread only. The hardware thread reaches the window through the
// HardwareThread::Owner calls, which it makes on the message thread.

#include "console/HardwareThread.h"
#include "device/Device.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleSkin;
class ConsoleState;
class ConsoleContent;
class ZoomHolder;

class ConsoleWindow : public juce::DocumentWindow, public HardwareThread::Owner
{
public:
    // Builds the window, its state (read from the device, which must be open) and its content;
    // the window stays hidden. `appListener` receives 'delw' when the window may go (may be
    // null). The preferences live in `preferencesFolder`, or in the user's configuration
    // folder when it is empty. Only tests pass addToDesktop = false.
    ConsoleWindow (Device::Ptr device, juce::MessageListener* appListener, const juce::File& preferencesFolder = {},
                   bool addToDesktop = true);
    // Stops the hardware thread with the content (a write-back it owes completes first), then
    // closes the device once.
    ~ConsoleWindow() override;

    // Places the window at the stored "x" and "y" (defaults: where it is) at the stored "zoom",
    // keeping it on screen. A zoom at which the window would not fit the screen gives way to the
    // largest that fits; without a stored one the window takes the step nearest the desktop's
    // scale of its screen.
    void restorePosition();

    // The window's zoom in percent (ConsoleZoom's steps): the content drawn that much larger,
    // the window's size following and the window kept on the screen.
    void setZoom (int percent);
    int getZoom() const noexcept { return zoom; }
    // One step in (direction > 0) or out (< 0); 0 goes back to 100%.
    void stepZoom (int direction);

    // Writes "x", "y", "zoom", the state's names and gangs and "tab", then drops the file
    // object, which writes the file. Called again later it reopens the file.
    void savePreferences();

    // Window ring, kept by the application.
    ConsoleWindow* next = nullptr;
    ConsoleWindow* prev = nullptr;

    // Kept by the application: what follows once the window has gone after its write-back.
    bool keepRunningWhenGone = false; // hidden: the program runs on even without windows
    bool reopenWhenGone = false;      // shown again meanwhile: a new window reads what was written

    Device* getDevice() const noexcept { return device.get(); }
    ConsoleState& getState() noexcept { return *state; }
    ConsoleContent& getContent() noexcept { return *content; }
    ConsoleSkin& getSkin() noexcept { return *skin; }
    // Null once the preferences have been saved.
    juce::PropertiesFile* getPreferences() noexcept { return preferences.get(); }
    int readResult() const noexcept { return stateReadResult; }

    // Polls the device's status while the window is on the desktop and on the screen; called
    // whenever that may have changed.
    void updatePolling();

    // Visible and actually on the screen: not minimised, and not unmapped behind JUCE's back
    // (the window system may hide a window without telling the component).
    bool isShownOnScreen() const;

    // The device has gone: the window goes without a write-back (one under way ends).
    void deviceRemoved();

    // Once closed, the window is hidden, its preferences are written and its hardware thread is
    // finishing (writing the session back if it changed); 'delw' follows. True as well while a
    // close the program asked for waits for a dialog to go.
    bool isClosing() const noexcept { return closing || closeAsked; }

    // DocumentWindow: the user's close. A disabled window (busy with a modal operation) and a
    // window already closing ignore it.
    void closeButtonPressed() override;
    void userTriedToCloseWindow() override { closeButtonPressed(); }
    void activeWindowStatusChanged() override;
    void visibilityChanged() override;
    void minimisationStateChanged (bool isNowMinimised) override;
    void broughtToFront() override;
    void parentHierarchyChanged() override;
    void moved() override;
    void resized() override;

    // The program's close (quit, the end of the session, "Hide all windows"), which has its
    // dialogs closed first: the same close, taken as soon as the window is enabled again.
    void closeWhenFree();
    void enablementChanged() override;

    // HardwareThread::Owner
    std::unique_ptr<FlashProgress> createFlashProgress() override;
    void hardwareThreadFinished() override;

private:
    void openPreferences();
    // What the window system scales this window by already (a desktop scale): the zoom is the
    // size on the screen, so the content's own scale leaves that out.
    double platformScale() const;
    juce::BorderSize<int> frameSize() const;
    juce::Rectangle<int> screenArea() const;
    void keepOnScreen();

    Device::Ptr device;
    juce::MessageListener* listener;
    juce::File folder;
    std::unique_ptr<ConsoleState> state;
    std::unique_ptr<ConsoleSkin> skin;
    std::unique_ptr<juce::PropertiesFile> preferences;
    std::unique_ptr<ConsoleContent> content;
    std::unique_ptr<ZoomHolder> holder;
    juce::ComponentBoundsConstrainer constrainer;
    int zoom = 100;
    int stateReadResult = 0;
    bool closing = false;
    bool closeAsked = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleWindow)
};

} // namespace arx
