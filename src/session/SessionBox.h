#pragma once

// The box of session buttons at the top of the mixer page: Load and Save trigger the window's
// session commands, Reset acts itself. Save flashes when the keyboard saves.
//
// Threads: message thread.

#include "look/ConsoleSkin.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace arx
{


// A session button: its off image when normal and under the mouse (with a light overlay
// then), its down image when pressed, sized to the image.
class SessionImageButton : public juce::ImageButton
{
public:
    SessionImageButton (const juce::String& name, const ButtonImages& images);

    void paintButton (juce::Graphics&, bool isMouseOver, bool isButtonDown) override;

private:
    ButtonImages art;
};

class LoadButton final : public SessionImageButton
{
public:
    explicit LoadButton (juce::ApplicationCommandManager& commands);
};

class SaveButton final : public SessionImageButton, private juce::Timer
{
public:
    static constexpr int flashMs = 500;

    explicit SaveButton (juce::ApplicationCommandManager& commands);

    // Shows the button pressed; it goes back to normal after flashMs.
    void flash();
    bool isFlashing() const noexcept { return isTimerRunning(); }

private:
    void timerCallback() override;
};

class ResetButton final : public SessionImageButton
{
public:
    explicit ResetButton (std::function<void()> onReset);
};

class SessionBox final : public juce::Component
{
public:
    SessionBox (const ConsoleSkin& skin, juce::ApplicationCommandManager& commands, std::function<void()> onReset);

    LoadButton& getLoadButton() noexcept { return load; }
    SaveButton& getSaveButton() noexcept { return save; }
    ResetButton& getResetButton() noexcept { return reset; }

    void paint (juce::Graphics&) override;

private:
    LoadButton load;
    SaveButton save;
    ResetButton reset;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SessionBox)
};

} // namespace arx
