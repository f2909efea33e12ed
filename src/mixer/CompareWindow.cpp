#include "mixer/CompareWindow.h"

#include "app/ModalDialogs.h"

namespace arx
{

namespace
{
constexpr int width = 560, lineHeight = 16, tickHeight = 24, margin = 10, buttonHeight = 26, maxListHeight = 420;
}

class CompareWindow::Content : public juce::Component
{
public:
    Content (const juce::String& what, const SessionCompare& compare)
    {
        heading.setText ("Loading " + what + " changes these values of the mix on the device. "
                         "Untick what should stay as it is.", juce::dontSendNotification);
        heading.setJustificationType (juce::Justification::topLeft);
        addAndMakeVisible (heading);

        int y = 0;
        for (const auto& g : compare.getGroups())
        {
            auto tick = std::make_unique<juce::ToggleButton> (g.title);
            tick->setToggleState (true, juce::dontSendNotification);
            tick->setBounds (0, y, width - 2 * margin - 20, tickHeight);
            list.addAndMakeVisible (*tick);
            ticks.push_back (std::move (tick));
            y += tickHeight;

            auto text = std::make_unique<juce::Label> (g.title + " changes", g.lines.joinIntoString ("\n"));
            text->setFont (juce::Font (13.0f));
            text->setJustificationType (juce::Justification::topLeft);
            const int h = g.lines.size() * lineHeight + 4;
            text->setBounds (24, y, width - 2 * margin - 44, h);
            list.addAndMakeVisible (*text);
            texts.push_back (std::move (text));
            y += h + 4;
        }
        list.setSize (width - 2 * margin - 20, y);
        viewport.setViewedComponent (&list, false);
        viewport.setScrollBarsShown (true, false);
        addAndMakeVisible (viewport);

        for (auto* b : { &all, &ticked, &cancelButton })
            addAndMakeVisible (*b);
        all.addShortcut (juce::KeyPress (juce::KeyPress::returnKey));
        cancelButton.addShortcut (juce::KeyPress (juce::KeyPress::escapeKey));

        setSize (width, 40 + juce::jmin (maxListHeight, y) + buttonHeight + 3 * margin);
    }

    void resized() override
    {
        auto area = getLocalBounds().reduced (margin);
        heading.setBounds (area.removeFromTop (34));
        auto buttons = area.removeFromBottom (buttonHeight);
        area.removeFromBottom (margin);
        viewport.setBounds (area);
        cancelButton.setBounds (buttons.removeFromRight (90));
        buttons.removeFromRight (8);
        ticked.setBounds (buttons.removeFromRight (110));
        buttons.removeFromRight (8);
        all.setBounds (buttons.removeFromRight (90));
    }

    juce::Label heading;
    juce::Component list;
    juce::Viewport viewport;
    std::vector<std::unique_ptr<juce::ToggleButton>> ticks;
    std::vector<std::unique_ptr<juce::Label>> texts;
    juce::TextButton all { "Load all" }, ticked { "Load ticked" }, cancelButton { "Cancel" };
};

CompareWindow::CompareWindow (const juce::String& what, const SessionCompare& compare, bool onDesktop)
    : juce::DialogWindow (titleText, juce::Colours::darkgrey, true, onDesktop)
{
    setUsingNativeTitleBar (true);
    auto* c = new Content (what, compare);
    setContentOwned (c, true);
    c->all.onClick = [this] { exitModalState (loadAll); };
    c->ticked.onClick = [this] { exitModalState (loadTicked); };
    c->cancelButton.onClick = [this] { exitModalState (cancel); };
}

CompareWindow::Content& CompareWindow::content() const
{
    return *static_cast<Content*> (getContentComponent());
}

juce::ToggleButton& CompareWindow::getTick (int group) const
{
    return *content().ticks.at ((size_t) group);
}

juce::String CompareWindow::getListing (int group) const
{
    return content().texts.at ((size_t) group)->getText();
}

int CompareWindow::getNumTicks() const noexcept
{
    return (int) content().ticks.size();
}

juce::Button& CompareWindow::getButton (Choice choice) const
{
    auto& c = content();
    return choice == loadAll ? static_cast<juce::Button&> (c.all)
                             : choice == loadTicked ? static_cast<juce::Button&> (c.ticked) : c.cancelButton;
}

void CompareWindow::closeButtonPressed()
{
    exitModalState (cancel);
}

CompareWindow* CompareWindow::open (juce::Component* over, const juce::String& what, const SessionCompare& compare,
                                    std::function<void (Choice, std::vector<bool>)> done)
{
    if (ModalDialogs::areClosing())
        return nullptr;

    // On the desktop with the console window it belongs to (tests keep both off it).
    auto* window = new CompareWindow (what, compare, over != nullptr && over->isOnDesktop());
    window->centreAroundComponent (over, window->getWidth(), window->getHeight());
    window->setVisible (true);
    juce::Component::SafePointer<CompareWindow> safe (window);
    window->enterModalState (true, juce::ModalCallbackFunction::create ([safe, done = std::move (done)] (int result) {
        std::vector<bool> flags;
        if (safe != nullptr)
            for (int i = 0; i < safe->getNumTicks(); ++i)
                flags.push_back (safe->getTick (i).getToggleState());
        if (done)
            done ((Choice) result, flags);
    }), true);
    return window;
}

} // namespace arx
