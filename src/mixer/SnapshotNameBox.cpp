#include "mixer/SnapshotNameBox.h"

#include "app/ModalDialogs.h"

namespace arx
{

namespace
{
constexpr int width = 300, margin = 10, rowHeight = 24, buttonWidth = 80;
}

class SnapshotNameBox::Content : public juce::Component
{
public:
    Content (int slot, const juce::String& name)
    {
        prompt.setText ("A name for snapshot " + juce::String (slot + 1) + ":", juce::dontSendNotification);
        editor.setText (name, false);
        editor.selectAll();
        ok.addShortcut (juce::KeyPress (juce::KeyPress::returnKey));
        editor.onReturnKey = [this] { ok.triggerClick(); };
        cancel.addShortcut (juce::KeyPress (juce::KeyPress::escapeKey));
        editor.onEscapeKey = [this] { cancel.triggerClick(); };
        for (auto* c : std::initializer_list<juce::Component*> { &prompt, &editor, &ok, &cancel })
            addAndMakeVisible (*c);
        setSize (width, 3 * rowHeight + 4 * margin);
    }

    void resized() override
    {
        auto area = getLocalBounds().reduced (margin);
        prompt.setBounds (area.removeFromTop (rowHeight));
        editor.setBounds (area.removeFromTop (rowHeight));
        auto buttons = area.removeFromBottom (rowHeight);
        cancel.setBounds (buttons.removeFromRight (buttonWidth));
        buttons.removeFromRight (margin);
        ok.setBounds (buttons.removeFromRight (buttonWidth));
    }

    juce::Label prompt;
    juce::TextEditor editor { "name" };
    juce::TextButton ok { "OK" }, cancel { "Cancel" };
};

SnapshotNameBox::SnapshotNameBox (int slot, const juce::String& name, bool onDesktop)
    : juce::DialogWindow (titleText, juce::Colours::darkgrey, true, onDesktop)
{
    setUsingNativeTitleBar (true);
    auto* c = new Content (slot, name);
    c->setName ("snapshot name box");
    setContentOwned (c, true);
    c->ok.onClick = [this] { exitModalState (1); };
    c->cancel.onClick = [this] { exitModalState (0); };
}

SnapshotNameBox::Content& SnapshotNameBox::content() const
{
    return *static_cast<Content*> (getContentComponent());
}

juce::TextEditor& SnapshotNameBox::getEditor() const
{
    return content().editor;
}

juce::Button& SnapshotNameBox::getButton (bool ok) const
{
    return ok ? static_cast<juce::Button&> (content().ok) : content().cancel;
}

void SnapshotNameBox::closeButtonPressed()
{
    exitModalState (0);
}

SnapshotNameBox* SnapshotNameBox::open (juce::Component& over, int slot, const juce::String& name,
                                        std::function<void (const juce::String&)> renamed)
{
    if (ModalDialogs::areClosing())
        return nullptr;

    auto* top = over.getTopLevelComponent();
    auto* box = new SnapshotNameBox (slot, name, top != nullptr && top->isOnDesktop());
    box->centreAroundComponent (top, box->getWidth(), box->getHeight());
    box->setVisible (true);
    juce::Component::SafePointer<SnapshotNameBox> safe (box);
    box->enterModalState (true, juce::ModalCallbackFunction::create ([safe, renamed = std::move (renamed)] (int result) {
        if (safe != nullptr && result == 1 && renamed)
            renamed (safe->getEditor().getText());
    }), true);
    return box;
}

} // namespace arx
