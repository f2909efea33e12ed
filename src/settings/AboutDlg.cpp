#include "settings/AboutDlg.h"

#include "settings/AboutDlgContent.h"

namespace arx
{

AboutDlg::AboutDlg (bool onDesktop)
    : juce::DocumentWindow ("About", juce::Colour (15, 15, 15), juce::DocumentWindow::closeButton, onDesktop)
{
    setUsingNativeTitleBar (true);
    setResizable (false, false);
}

AboutDlg* AboutDlg::open (juce::Component& consoleWindow, bhw::Ptr device, juce::Timer* appTimer, bool onDesktop)
{
    auto* top = consoleWindow.getTopLevelComponent();
    top->setEnabled (false);

    auto* box = new AboutDlg (onDesktop);
    box->content = new AboutDlgContent (std::move (device), appTimer);
    box->setContentNonOwned (box->content, true);
    box->placeOver (*top);
    box->setVisible (true);

    juce::Component::SafePointer<juce::Component> console (top);
    box->enterModalState (true, juce::ModalCallbackFunction::create ([box, console] (int) {
                              auto* done = box->content;
                              box->content = nullptr;
                              box->clearContentComponent();
                              delete done;
                              if (console != nullptr)
                                  console->setEnabled (true);
                          }),
                          true);
    return box;
}

// Centred over the console window, kept on its screen where there is one.
void AboutDlg::placeOver (juce::Component& console)
{
    auto area = getLocalBounds().withCentre (console.getScreenBounds().getCentre());
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (area))
        area = area.constrainedWithin (display->userArea);
    setBounds (area);
}

void AboutDlg::close()
{
    // The content stays alive until the modal state has ended: its own click may be running.
    setContentNonOwned (nullptr, false);
    exitModalState (0);
}

} // namespace arx
