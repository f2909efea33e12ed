#include "mixer/ConsoleWindow.h"

#include "mixer/ConsoleContent.h"
#include "mixer/OnDemandPainter.h"
#include "platform/Desktop.h"

namespace arx
{

bool ConsoleWindow::isShownOnScreen() const
{
    if (! isVisible())
        return false;

    auto* peer = getPeer();
    if (peer == nullptr)
        return true; // not on the desktop (tests): its visible flag is all there is
    return platform::desktop::isWindowShown (*peer);
}

void ConsoleWindow::updatePolling()
{
    // A window that is not on the desktop (tests) is polled only when asked.
    if (content != nullptr)
        content->setPolling (getPeer() != nullptr && ! closing && isShownOnScreen());
}

void ConsoleWindow::visibilityChanged()
{
    juce::DocumentWindow::visibilityChanged();
    OnDemandPainter::attachTo (*this);
    updatePolling();
}

void ConsoleWindow::minimisationStateChanged (bool)
{
    updatePolling();
}

void ConsoleWindow::broughtToFront()
{
    juce::DocumentWindow::broughtToFront();
    OnDemandPainter::attachTo (*this);
    updatePolling();
}

// The peer is made anew (added to the desktop, native title bar) or has taken in a geometry
// from the window system, which set its frame timer to the display's rate again. A geometry
// that moves nothing goes unseen; it mostly comes with a raise or a focus change, which are
// seen here.
void ConsoleWindow::parentHierarchyChanged()
{
    juce::DocumentWindow::parentHierarchyChanged();
    OnDemandPainter::attachTo (*this);
}

void ConsoleWindow::moved()
{
    juce::DocumentWindow::moved();
    OnDemandPainter::attachTo (*this);
}

void ConsoleWindow::resized()
{
    juce::DocumentWindow::resized();
    OnDemandPainter::attachTo (*this);
}

} // namespace arx
