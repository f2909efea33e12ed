#include "mixer/SnapshotBar.h"

#include "console/ConsoleState.h"
#include "console/SnapshotBank.h"
#include "mixer/SnapshotNameBox.h"

namespace arx
{

class SnapshotBar::SlotButton : public juce::Button
{
public:
    SlotButton (SnapshotBar& b, int s) : juce::Button ("snapshot " + juce::String (s + 1)), bar (b), slot (s)
    {
        setWantsKeyboardFocus (false);
    }

    void clicked (const juce::ModifierKeys& mods) override
    {
        if (mods.isShiftDown())
            bar.host.storeSnapshot (slot);
        else
            bar.host.recallSnapshot (slot);
    }

    void mouseDown (const juce::MouseEvent& e) override
    {
        if (e.mods.isPopupMenu())
        {
            bar.slotMenu (slot, true).showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this));
            return;
        }
        juce::Button::mouseDown (e);
    }

    void mouseDoubleClick (const juce::MouseEvent&) override { bar.askForName (slot); }

    void paintButton (juce::Graphics& g, bool over, bool down) override
    {
        const bool stored = bar.bank.isStored (slot);
        const bool lit = bar.marked == slot;
        const auto area = getLocalBounds().toFloat().reduced (0.5f);
        auto face = lit ? juce::Colour (230, 160, 40) : stored ? juce::Colour (95, 95, 95) : juce::Colour (28, 28, 28);
        if (down)
            face = face.darker (0.3f);
        else if (over)
            face = face.brighter (0.2f);
        g.setColour (face);
        g.fillRoundedRectangle (area, 3.0f);
        g.setColour (stored ? juce::Colour (150, 150, 150) : juce::Colour (70, 70, 70));
        g.drawRoundedRectangle (area, 3.0f, 1.0f);
        g.setColour (lit ? juce::Colours::black : stored ? juce::Colours::white : juce::Colour (110, 110, 110));
        g.setFont (juce::Font (11.0f, juce::Font::bold));
        g.drawText (juce::String (slot + 1), getLocalBounds(), juce::Justification::centred, false);
    }

    void update()
    {
        const auto& b = bar.bank;
        setTooltip (b.isStored (slot) ? b.name (slot) + ", stored " + b.storedAt (slot).formatted ("%Y-%m-%d %H:%M")
                                      : b.name (slot) + " (empty): Shift+click stores the mix");
        repaint();
    }

private:
    SnapshotBar& bar;
    const int slot;
};

//==============================================================================
SnapshotBar::SnapshotBar (Host& h, SnapshotBank& b, ConsoleState& s, EditPath& p)
    : juce::Component ("snapshot bar"), host (h), bank (b), state (s), path (p)
{
    setInterceptsMouseClicks (false, true);
    for (int slot = 0; slot < SnapshotBank::slotCount; ++slot)
    {
        slots.push_back (std::make_unique<SlotButton> (*this, slot));
        addChildComponent (*slots.back());
    }
    menuButton = std::make_unique<juce::TextButton> ("Snapshots");
    menuButton->setWantsKeyboardFocus (false);
    menuButton->onClick = [this] { showMenu(); };
    addChildComponent (*menuButton);
    path.addListener (this);
    refreshSlots();
}

SnapshotBar::~SnapshotBar()
{
    path.removeListener (this);
}

juce::Button* SnapshotBar::getSlotButton (int slot) const
{
    return showsSlots() && SnapshotBank::isSlot (slot) ? slots[(size_t) slot].get() : nullptr;
}

void SnapshotBar::resized()
{
    const bool eight = showsSlots();
    int x = getWidth() - slotsWidth();
    for (auto& b : slots)
    {
        b->setVisible (eight);
        b->setBounds (x, 0, slotWidth, getHeight());
        x += slotWidth + slotGap;
    }
    menuButton->setVisible (! eight);
    menuButton->setBounds (getLocalBounds().removeFromRight (juce::jmin (menuButtonWidth, getWidth())));
}

void SnapshotBar::refreshSlots()
{
    for (auto& b : slots)
        b->update();
}

void SnapshotBar::recalled (int slot)
{
    ConsoleState mix (nullptr);
    if (! bank.fill (slot, mix))
        return;
    marked = slot;
    markedMix = std::make_unique<MixSnapshot> (MixSnapshot::of (mix));
    refreshSlots();
}

void SnapshotBar::mixChanged (const std::vector<MixChange>&, bool)
{
    // The recall's own change arrives here too: the mark goes only when the mix leaves it.
    if (marked < 0 || (markedMix != nullptr && MixSnapshot::of (state) == *markedMix))
        return;
    marked = -1;
    markedMix.reset();
    refreshSlots();
}

juce::PopupMenu SnapshotBar::slotMenu (int slot, bool withPreference)
{
    const bool stored = bank.isStored (slot);
    juce::PopupMenu m;
    m.addItem ("Recall", stored, false, [this, slot] { host.recallSnapshot (slot); });
    m.addItem ("Compare and recall...", stored, false, [this, slot] { host.compareSnapshot (slot); });
    m.addItem ("Store the mix here", [this, slot] { host.storeSnapshot (slot); });
    m.addItem ("Rename...", stored, false, [this, slot] { askForName (slot); });
    if (withPreference)
    {
        m.addSeparator();
        m.addItem ("Load without asking", true, host.loadsWithoutAsking(),
                   [this] { host.setLoadWithoutAsking (! host.loadsWithoutAsking()); });
    }
    return m;
}

void SnapshotBar::showMenu()
{
    juce::PopupMenu m;
    for (int slot = 0; slot < SnapshotBank::slotCount; ++slot)
    {
        auto text = juce::String (slot + 1) + "  " + bank.name (slot);
        if (! bank.isStored (slot))
            text << " (empty)";
        const auto sub = slotMenu (slot, false);
        m.addSubMenu (text, sub, true, nullptr, marked == slot);
    }
    m.addSeparator();
    m.addItem ("Load without asking", true, host.loadsWithoutAsking(),
               [this] { host.setLoadWithoutAsking (! host.loadsWithoutAsking()); });
    m.showMenuAsync (juce::PopupMenu::Options().withTargetComponent (menuButton.get()));
}

void SnapshotBar::askForName (int slot)
{
    if (! bank.isStored (slot))
        return;

    juce::WeakReference<SnapshotBar> self (this);
    SnapshotNameBox::open (*this, slot, bank.name (slot), [self, slot] (const juce::String& name) {
        if (self != nullptr)
            self->host.renameSnapshot (slot, name);
    });
}

} // namespace arx
