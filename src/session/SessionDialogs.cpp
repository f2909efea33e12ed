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

    // No question from the dialog before saving: it would ask about the name as typed, and the
    // file written carries the extension. The controller asks about that one.
    const int flags = juce::FileBrowserComponent::canSelectFiles
                      | (dialog.forSaving ? juce::FileBrowserComponent::saveMode : juce::FileBrowserComponent::openMode);

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

void NativeSessionDialogs::askToReplace (const juce::File& file, juce::Component* parent, std::function<void (bool)> done)
{
    const auto text = "There's already a file called: " + file.getFullPathName() + "\n\nAre you sure you want to overwrite it?";
    std::weak_ptr<bool> owner = alive;
    juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::WarningIcon, "File already exists", text, "Overwrite",
                                        "Cancel", parent,
                                        juce::ModalCallbackFunction::create ([owner, done = std::move (done)] (int result) {
                                            if (! owner.expired())
                                                done (result == 1);
                                        }));
}

void NativeSessionDialogs::showMessage (const juce::String& text, juce::Component* parent)
{
    ModalDialogs::tellAsync (sessionMessageTitle, text, "OK", parent);
}

} // namespace arx
