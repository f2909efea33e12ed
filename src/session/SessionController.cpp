#include "session/SessionController.h"

#include "console/ConsoleState.h"
#include "session/SessionHost.h"

namespace arx
{

SessionController::SessionController (ConsoleState& consoleState, SessionHost& sessionHost, const ConsoleSkin& skin,
                                      juce::ApplicationCommandManager& commands, bool vistaOrLater,
                                      std::unique_ptr<SessionDialogs> dialogsToUse)
    : host (sessionHost),
      store (consoleState, vistaOrLater),
      dialogs (dialogsToUse != nullptr ? std::move (dialogsToUse) : std::make_unique<NativeSessionDialogs>()),
      box (skin, commands, [this] { resetConsole(); })
{
}

SessionController::~SessionController()
{
    dialogClosed();
}

void SessionController::setDialogs (std::unique_ptr<SessionDialogs> newDialogs)
{
    jassert (! dialogOpen && newDialogs != nullptr);
    dialogs = std::move (newDialogs);
}

//==============================================================================
void SessionController::getAllCommands (juce::Array<juce::CommandID>& commands)
{
    commands.addArray ({ saveCommand, saveAsCommand, loadCommand });
}

void SessionController::getCommandInfo (juce::CommandID commandID, juce::ApplicationCommandInfo& result)
{
    const auto ctrl = juce::ModifierKeys::commandModifier; // Ctrl on Windows and Linux

    switch (commandID)
    {
        case saveCommand:
            result.setInfo ("Save", "Save session to disk", "Session", 0);
            result.addDefaultKeypress ('s', ctrl);
            break;
        case saveAsCommand:
            result.setInfo ("Save as", "Save session to disk with file dialog", "Session", 0);
            break;
        case loadCommand:
            result.setInfo ("Load", "Load session from disk", "Session", 0);
            result.addDefaultKeypress ('o', ctrl);
            break;
        default:
            break;
    }
}

bool SessionController::perform (juce::CommandID commandID)
{
    if (commandID != saveCommand && commandID != saveAsCommand && commandID != loadCommand)
        return false;

    if (dialogOpen)
        return true;

    switch (commandID)
    {
        case saveCommand:
            box.getSaveButton().flash();
            saveSession (false);
            break;
        case saveAsCommand: saveSession (true); break;
        default: loadSession(); break;
    }

    return true;
}

//==============================================================================
void SessionController::saveSession (bool forceDialog)
{
    const auto step = store.beginSave (forceDialog);

    if (step.message != SessionMessage::none)
        show (step.message);
    else if (step.dialog.has_value())
        openDialog (*step.dialog, [this] (const juce::File& chosen) { confirmSave (chosen); });
    else
        finishSave (step.target);
}

// The name typed in the dialog may lack the extension: the question is about the file that the
// save writes, which may exist when the typed name does not.
void SessionController::confirmSave (const juce::File& chosen)
{
    const auto target = store.saveTarget (chosen);

    if (! target.existsAsFile())
    {
        finishSave (target);
        return;
    }

    holdWindow();
    juce::WeakReference<SessionController> self (this);
    dialogs->askToReplace (target, disabledTop.getComponent(), [self, target] (bool replace) {
        if (self == nullptr)
            return;

        self->dialogClosed();

        if (replace)
            self->finishSave (target);
    });
}

void SessionController::finishSave (const juce::File& chosen)
{
    show (store.finishSave (chosen));
}

void SessionController::loadSession()
{
    const auto step = store.beginLoad();

    if (step.message != SessionMessage::none)
        show (step.message);
    else if (step.dialog.has_value())
        openDialog (*step.dialog, [this] (const juce::File& chosen) { finishLoad (chosen); });
}

void SessionController::finishLoad (const juce::File& chosen)
{
    juce::WeakReference<SessionController> self (this);
    if (! host.compareBeforeLoad (chosen, [self, chosen] {
            if (self != nullptr)
                self->loadWhole (chosen);
        }))
        loadWhole (chosen);
}

// The file becomes the console's session: its name and folder are remembered.
void SessionController::loadWhole (const juce::File& chosen)
{
    const auto result = store.finishLoad (chosen);

    if (result.loaderRan)
        host.applyToControls();

    show (result.message);
}

void SessionController::resetConsole()
{
    if (dialogOpen)
        return;

    store.resetState();
    host.resetControls();
}

//==============================================================================
void SessionController::holdWindow()
{
    dialogOpen = true;
    disabledTop = box.getTopLevelComponent();
    if (disabledTop != nullptr)
        disabledTop->setEnabled (false);
}

void SessionController::openDialog (const SessionStore::FileDialog& dialog,
                                    std::function<void (const juce::File&)> chosen)
{
    holdWindow();

    juce::WeakReference<SessionController> self (this);
    dialogs->chooseFile (dialog, disabledTop.getComponent(), [self, chosen = std::move (chosen)] (const juce::File& file) {
        if (self == nullptr)
            return;

        self->dialogClosed();

        if (file != juce::File()) // cancelled: no message
            chosen (file);
    });
}

void SessionController::dialogClosed()
{
    dialogOpen = false;

    if (disabledTop != nullptr)
        disabledTop->setEnabled (true);

    disabledTop = nullptr;
}

void SessionController::show (SessionMessage message)
{
    if (message != SessionMessage::none)
        dialogs->showMessage (sessionMessageText (message), box.getTopLevelComponent());
}

} // namespace arx
