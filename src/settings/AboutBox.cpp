#include "settings/AboutBox.h"

#include "app/ModalDialogs.h"
#include "look/ConsoleZoom.h"
#include "settings/AboutBoxContent.h"

namespace arx
{

AboutBox::AboutBox (juce::Component& consoleWindow, bool onDesktop)
    : juce::DocumentWindow ("About", juce::Colour (15, 15, 15), juce::DocumentWindow::closeButton, onDesktop),
      console (&consoleWindow),
      scale (ConsoleZoom::scaleOf (&consoleWindow))
{
    setUsingNativeTitleBar (true);
    setResizable (false, false);
}

AboutBox::~AboutBox()
{
    finish (false);
}

AboutBox* AboutBox::open (juce::Component& consoleWindow, Device::Ptr device, bool onDesktop)
{
    auto* top = consoleWindow.getTopLevelComponent();
    top->setEnabled (false);

    auto* box = new AboutBox (*top, onDesktop);
    box->content = new AboutBoxContent (std::move (device));
    box->setContentNonOwned (box->content, true);
    box->placeOver (*top);
    box->showModally();
    return box;
}

// Centred over the console window, kept on its screen where there is one.
void AboutBox::placeOver (juce::Component& consoleWindow)
{
    if (scale != 1.0f)
    {
        setBounds (ConsoleZoom::centredAt (consoleWindow.getScreenBounds().getCentre(), getLocalBounds(), scale));
        return;
    }
    auto area = getLocalBounds().withCentre (consoleWindow.getScreenBounds().getCentre());
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (area))
        area = area.constrainedWithin (display->userArea);
    setBounds (area);
}

void AboutBox::showModally()
{
    setVisible (true);
    if (isCurrentlyModal (false))
        return;
    const int thisSession = ++session;
    juce::Component::SafePointer<AboutBox> self (this);
    enterModalState (true, juce::ModalCallbackFunction::create ([self, thisSession] (int) {
                         if (self != nullptr && self->session == thisSession)
                             self->close();
                     }),
                     false);
}

void AboutBox::suspend()
{
    // Ended here rather than left to the hiding, which ends it only where the box is on screen.
    ++session;
    if (isCurrentlyModal (false))
        exitModalState (0);
    setVisible (false);
}

void AboutBox::resume()
{
    // Dialogs closed meanwhile: the box is one of them.
    if (ModalDialogs::areClosing())
        close();
    else if (! finished)
        showModally();
}

void AboutBox::close()
{
    if (finished)
        return;
    ++session;
    if (isCurrentlyModal (false))
        exitModalState (0);
    setVisible (false);
    finish (true);

    // Deleted once the click that closed it has returned.
    juce::Component::SafePointer<AboutBox> self (this);
    juce::MessageManager::callAsync ([self] { delete self.getComponent(); });
}

void AboutBox::finish (bool contentMayBeBusy)
{
    if (finished)
        return;
    finished = true;
    auto* done = content;
    content = nullptr;
    clearContentComponent();
    // The content may be in the middle of its own click handler: then it goes after that returns.
    if (contentMayBeBusy)
        juce::MessageManager::callAsync ([done] { delete done; });
    else
        delete done;
    if (console != nullptr)
        console->setEnabled (true);
}

} // namespace arx
