#include "session/SessionDialogs.h"

#include "session/SessionMessage.h"

#include <utility>

namespace arx
{

NativeSessionDialogs::NativeSessionDialogs() = default;
NativeSessionDialogs::~NativeSessionDialogs() = default;

void NativeSessionDialogs::chooseFile (const SessionStore::FileDialog& dialog, juce::Component* parent,
                                       std::function<void (const juce::File&)> done)
{
    // Where the system has no file dialog JUCE draws its own inside `parent`, which is disabled
    // meanwhile and would take no input: that one gets a window of its own.
    auto* owner = juce::FileChooser::isPlatformDialogAvailable() ? parent : nullptr;
    chooser = std::make_unique<juce::FileChooser> (dialog.title, dialog.start, dialog.filter, true, false, owner);

    const int flags = juce::FileBrowserComponent::canSelectFiles
                      | (dialog.forSaving ? juce::FileBrowserComponent::saveMode
                                                | juce::FileBrowserComponent::warnAboutOverwriting
                                          : juce::FileBrowserComponent::openMode);

    // The chooser belongs to this object: deleting it drops the callback.
    pending = std::move (done);
    chooser->launchAsync (flags, [this] (const juce::FileChooser& fc) { finish (fc.getResult()); });
}

void NativeSessionDialogs::cancel()
{
    if (pending == nullptr)
        return;
    chooser.reset(); // the dialog goes with it, and its callback
    finish ({});
}

void NativeSessionDialogs::finish (const juce::File& chosen)
{
    if (auto done = std::exchange (pending, nullptr))
        done (chosen);
}

void NativeSessionDialogs::showMessage (const juce::String& text, juce::Component* parent)
{
    ModalDialogs::tellAsync (sessionMessageTitle, text, "OK", parent);
}

} // namespace arx
