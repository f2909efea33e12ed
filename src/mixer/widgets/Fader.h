#pragma once

#include "console/BankedDeviceControl.h"
#include "mixer/widgets/MixerHost.h"
#include "mixer/widgets/ShownValue.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class FaderTextBox;
class GangButton;

// A level fader in dB (-60 to 0, 0.1 steps, skewed towards the top) with its value box. A user
// edit stores the level into the console state and queues the fader on the hardware thread; a
// ganged partner follows drags by the same difference in dB. The subclass supplies the channel,
// the console-state field and the device command (get, set, refresh, store, reset).
//
// Threads: message thread, except get() and set() (hardware thread) and store(), which runs on
// whichever thread queues the fader and reads only shownLevel().
class Fader : public juce::Slider, public BankedDeviceControl
{
public:
    static constexpr double minDb = -60.0;
    static constexpr double maxDb = 0.0;
    static constexpr double stepDb = 0.1;
    static constexpr double skew = 1.5;

    Fader (MixerHost& host, int bank);
    ~Fader() override;

    // After the subclass has set the bounds: style, range and skew, then into `parent`.
    void setUp (juce::Component& parent);

    // The value box, a child of `parent` (the fader's parent), linked into the window's ring.
    void makeTextBox (juce::Component& parent, juce::Rectangle<int> bounds, float fontHeight);
    FaderTextBox* getTextBox() const noexcept { return textBox.get(); }

    // Shows a level (clamped and snapped by the slider) and its text. Without notification
    // nothing is stored or sent.
    void setValueAndText (double dB, juce::NotificationType notification);

    // Stores the level for the old bank, then shows the new bank's level from the state. The
    // new bank goes out with its own level in one step: store() may run on the hardware thread
    // at any moment, and must never write one bank's level into another.
    virtual void selectBank (int bank);
    int getBank() const noexcept { return shown.bank(); }

    // The level shown and the bank it belongs to; what store() writes.
    ShownValue::Snapshot shownLevel() const noexcept { return shown.get(); }

    // A partner follows this fader while `gangButton` is on: during a drag it keeps the level
    // difference it had when the drag began; a change outside a drag moves it by the same step.
    void setGang (GangButton* gangButton, Fader* partnerFader) noexcept;
    double getDragStartValue() const noexcept { return dragStartValue; }

    // Typed text from the value box: its leading number, clamped and snapped, stored and sent.
    // Text that is no number changes nothing, and the box shows the level again. A partner does
    // not follow.
    void applyTypedText (const juce::String& text);

    // "%.1f" without a minus sign on zero.
    static juce::String formatLevel (double dB);
    // The level a fader shows for a console-state level: clamped to -60..0, on the 0.1 grid.
    static double shownLevelFor (double dB) noexcept;
    // Whether storing `shownDb` over `stateDb` would only round the state's level to what the
    // fader can show: a level the user did not move stays as the device holds it.
    static bool wouldOnlyRound (float stateDb, float shownDb) noexcept;
    // The leading number of `text`; 0.0 and false when there is none.
    static double parseLevel (const juce::String& text, bool& isNumber);

    // Slider
    void startedDragging() override;
    void stoppedDragging() override;
    void valueChanged() override;
    void mouseUp (const juce::MouseEvent&) override;

protected:
    // The console state's level of `bank`, in dB.
    virtual double stateLevel (const ConsoleState& state, int bank) const = 0;
    // Shows the state's level of the bank shown, without notification.
    void showStateLevel();

    MixerHost& host;

private:
    void noteShown() noexcept;
    void sendEdit();
    void follow (double dB);
    bool isGanged() const noexcept;
    // A drag of this fader or of its ganged partner is under way.
    bool inGesture() const noexcept;
    // Outside a gesture the shown level is where the next change starts from.
    void restartFromShownLevel() noexcept;

    ShownValue shown;
    double dragStartValue = 0.0;
    bool dragging = false;
    GangButton* gang = nullptr;
    Fader* partner = nullptr;
    std::unique_ptr<FaderTextBox> textBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Fader)
};

} // namespace arx
