#include "app/ModalDialogs.h"

#include <algorithm>
#include <vector>

namespace arx
{
namespace
{
struct Register
{
    std::vector<ModalDialogs::SystemDialog*> systemDialogs;
    juce::Array<juce::Component*> progressWindows;
    int updates = 0;
    bool closing = false;
};

Register& dialogs()
{
    static Register r;
    return r;
}
} // namespace

ModalDialogs::SystemDialog::SystemDialog()
{
    dialogs().systemDialogs.push_back (this);
}

ModalDialogs::SystemDialog::~SystemDialog()
{
    auto& known = dialogs().systemDialogs;
    known.erase (std::remove (known.begin(), known.end(), this), known.end());
}

ModalDialogs::Update::Update (juce::Component& progress) : window (&progress)
{
    dialogs().progressWindows.add (&progress);
    ++dialogs().updates;
}

ModalDialogs::Update::~Update()
{
    dialogs().progressWindows.removeFirstMatchingValue (window);
    --dialogs().updates;
}

void ModalDialogs::closeAll()
{
    auto& r = dialogs();
    r.closing = true;

    // The system's first: JUCE's own file dialog goes with its chooser, and takes with it the
    // modal placeholder that stands for a system dialog on Windows.
    const auto systemDialogs = r.systemDialogs;
    for (auto* d : systemDialogs)
        if (std::find (r.systemDialogs.begin(), r.systemDialogs.end(), d) != r.systemDialogs.end())
            d->cancel();

    // From the bottom up, so that the indices still to come stay put. A modal loop on the stack
    // returns 0, which is every dialog's Cancel, once the message thread gets back to it.
    auto& modal = *juce::ModalComponentManager::getInstance();
    for (int i = modal.getNumModalComponents(); --i >= 0;)
        if (auto* c = modal.getModalComponent (i); c != nullptr && ! r.progressWindows.contains (c))
            c->exitModalState (0);
}

bool ModalDialogs::areClosing() noexcept
{
    return dialogs().closing;
}

void ModalDialogs::allowAgain() noexcept
{
    dialogs().closing = false;
}

bool ModalDialogs::isUpdateRunning() noexcept
{
    return dialogs().updates > 0;
}

bool ModalDialogs::ask (const juce::String& title, const juce::String& text, const juce::String& ok,
                        const juce::String& cancel)
{
    if (areClosing())
        return false;
    return juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::NoIcon, title, text, ok, cancel, nullptr,
                                               nullptr);
}

void ModalDialogs::tell (const juce::String& title, const juce::String& text, const juce::String& button)
{
    if (! areClosing())
        juce::AlertWindow::showMessageBox (juce::MessageBoxIconType::NoIcon, title, text, button);
}

void ModalDialogs::tellAsync (const juce::String& title, const juce::String& text, const juce::String& button,
                              juce::Component* over)
{
    // JUCE's own box, as every other dialog here: the system's would run a loop of its own on
    // the message thread that nothing here could close.
    if (! areClosing())
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::NoIcon, title, text, button, over);
}

} // namespace arx
