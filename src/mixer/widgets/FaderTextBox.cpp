#include "mixer/widgets/FaderTextBox.h"

#include "mixer/widgets/Fader.h"
#include "mixer/widgets/LightField.h"

namespace arx
{

FaderTextBox::FaderTextBox (Fader& owner) : juce::Label ("fader text", {}), fader (owner) {}

FaderTextBox::~FaderTextBox()
{
    // Leaves the ring whole for the boxes that stay.
    prev->next = next;
    next->prev = prev;
}

void FaderTextBox::showValue()
{
    setText (Fader::formatLevel (fader.getValue()), juce::dontSendNotification);
}

void FaderTextBox::insertBefore (FaderTextBox& other) noexcept
{
    prev->next = next;
    next->prev = prev;

    prev = other.prev;
    next = &other;
    other.prev->next = this;
    other.prev = this;
}

namespace
{
// Visible inside its window (whose own visibility is the window system's business): a box on a
// hidden page cannot take the focus.
bool isVisibleInWindow (const juce::Component& c)
{
    for (auto* p = &c; p->getParentComponent() != nullptr; p = p->getParentComponent())
        if (! p->isVisible())
            return false;
    return true;
}
} // namespace

FaderTextBox* FaderTextBox::nextShowing (bool forwards) const
{
    for (auto* box = forwards ? next : prev; box != this; box = forwards ? box->next : box->prev)
        if (isVisibleInWindow (*box) && box->isEnabled())
            return box;
    return nullptr;
}

std::unique_ptr<juce::ComponentTraverser> FaderTextBox::createKeyboardFocusTraverser()
{
    return std::make_unique<FaderTextBoxTraverser> (*this);
}

void FaderTextBox::editorShown (juce::TextEditor* textEditor)
{
    // The editor cannot squeeze its text as the label does: smaller plain type keeps "-60.0"
    // and the caret inside the field.
    fitEditorToField (*textEditor);
    textEditor->applyFontToAllText (getFont().withStyle (juce::Font::plain).withHeight (getFont().getHeight() * 0.88f));
}

void FaderTextBox::textWasEdited()
{
    fader.applyTypedText (getText());
}

std::vector<juce::Component*> FaderTextBoxTraverser::getAllComponents (juce::Component*)
{
    std::vector<juce::Component*> ring { &owner };
    for (auto* box = owner.getNextBox(); box != &owner; box = box->getNextBox())
        ring.push_back (box);
    return ring;
}

} // namespace arx
