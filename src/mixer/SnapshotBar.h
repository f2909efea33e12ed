#pragma once

// The snapshot slots at the free end of the tab bar's row: eight small buttons where the row
// has room for them, else one "Snapshots" button with a menu. A click recalls a slot, Shift+click
// stores the mix in it, a double-click renames it, the right button offers the same and the
// compare before a recall. A stored slot is lit grey, the last recalled one amber until the mix
// changes.
//
// Threads: message thread.

#include "mixer/EditPath.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace arx
{

class ConsoleState;
class SnapshotBank;

class SnapshotBar : public juce::Component, private EditPath::Listener
{
public:
    // What the bar asks of the window: the slots' operations and the load preference.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual bool recallSnapshot (int slot) = 0;
        virtual bool storeSnapshot (int slot) = 0;
        virtual bool renameSnapshot (int slot, const juce::String& name) = 0;
        // Shows what a recall of the slot would change and recalls what the user picks.
        virtual void compareSnapshot (int slot) = 0;
        virtual bool loadsWithoutAsking() const = 0;
        virtual void setLoadWithoutAsking (bool on) = 0;
    };

    static constexpr int slotWidth = 17;
    static constexpr int slotGap = 2;
    static constexpr int menuButtonWidth = 84;

    // The width eight slot buttons take.
    static constexpr int slotsWidth() noexcept { return 8 * slotWidth + 7 * slotGap; }

    SnapshotBar (Host& host, SnapshotBank& bank, ConsoleState& state, EditPath& path);
    ~SnapshotBar() override;

    // Whether the bar shows eight buttons (else the one menu button); follows the width.
    bool showsSlots() const noexcept { return getWidth() >= slotsWidth(); }
    // The slot button (0 to 7) while showsSlots(); else null.
    juce::Button* getSlotButton (int slot) const;
    juce::Button& getMenuButton() const noexcept { return *menuButton; }

    // A slot was recalled: it is marked until the mix changes.
    void recalled (int slot);
    int markedSlot() const noexcept { return marked; }
    // The slots' names or contents changed: the buttons show them again.
    void refreshSlots();

    // The right-button menu of one slot, with the load preference at its end or without.
    juce::PopupMenu slotMenu (int slot, bool withPreference);

    // Asks for a slot's new name in a small modal box; Cancel keeps it.
    void askForName (int slot);

    void resized() override;

private:
    class SlotButton;

    void mixChanged (const std::vector<MixChange>&, bool) override;
    void showMenu();

    Host& host;
    SnapshotBank& bank;
    ConsoleState& state;
    EditPath& path;
    std::vector<std::unique_ptr<SlotButton>> slots;
    std::unique_ptr<juce::TextButton> menuButton;
    int marked = -1;
    std::unique_ptr<MixSnapshot> markedMix;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SnapshotBar)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SnapshotBar)
};

} // namespace arx
