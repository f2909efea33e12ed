#include "session/SessionStore.h"

#include "console/ConsoleState.h"
#include "device/HardwareInfo.h"
#include "session/LegacySessionFile.h"
#include "session/SessionFile.h"

namespace arx
{

SessionStore::SessionStore (ConsoleState& consoleState, bool vistaOrLater)
    : state (consoleState), vista (vistaOrLater)
{
}

juce::String SessionStore::extension() const
{
    const auto* info = state.info();
    return (info != nullptr ? info->modelName() : juce::String()) + " session";
}

juce::String SessionStore::saveFilter() const
{
    return "*." + extension();
}

juce::String SessionStore::loadFilter() const
{
    const auto* info = state.info();

    if (info != nullptr && info->hwType() == LegacySessionFile::modelWithLegacyFiles)
        return saveFilter() + ";*" + LegacySessionFile::extension;

    return saveFilter();
}

juce::File SessionStore::withExtension (const juce::File& file, const juce::String& ext)
{
    const auto name = file.getFileName();
    return name.endsWithIgnoreCase ("." + ext) ? file : file.getSiblingFile (name + "." + ext);
}

SessionStore::Step SessionStore::dialogStep (SessionMessage folderUnusable, const juce::String& title,
                                             const juce::String& filter, bool forSaving) const
{
    Step step;
    const auto folder = state.sessionDialogFolder();

    if (folder == juce::File())
    {
        step.message = folderUnusable;
        return step;
    }

    // Vista's dialog takes the filter as the file name to start with.
    const auto start = vista ? juce::File (folder.getFullPathName() + juce::File::getSeparatorString() + filter)
                             : folder;
    step.dialog = FileDialog { title, start, filter, forSaving };
    return step;
}

void SessionStore::remember (const juce::File& file)
{
    state.setMostRecentFolder (file.getParentDirectory());
    state.setLastSessionName (file.getFileNameWithoutExtension());
}

//==============================================================================
SessionStore::Step SessionStore::beginSave (bool forceDialog) const
{
    if (! forceDialog && state.lastSessionName().isNotEmpty())
    {
        Step step;
        step.target = state.mostRecentFolder().getChildFile (state.lastSessionName());
        return step;
    }

    return dialogStep (SessionMessage::cannotCreateFolder, "Save settings", saveFilter(), true);
}

SessionMessage SessionStore::finishSave (const juce::File& chosen)
{
    const auto target = saveTarget (chosen);
    const auto message = SessionFile::save (state, target);

    if (message == SessionMessage::none)
        remember (target);

    return message;
}

//==============================================================================
SessionStore::Step SessionStore::beginLoad() const
{
    return dialogStep (SessionMessage::cannotOpenFolder, "Load settings", loadFilter(), false);
}

SessionStore::LoadResult SessionStore::finishLoad (const juce::File& chosen)
{
    if (! chosen.exists())
        return { SessionMessage::fileDoesNotExist, false };

    const auto message = readInto (state, chosen);
    remember (chosen);
    return { message, true };
}

SessionMessage SessionStore::readInto (ConsoleState& target, const juce::File& chosen) const
{
    if (! chosen.exists())
        return SessionMessage::fileDoesNotExist;
    const auto* info = state.info();
    const bool legacy = info != nullptr && LegacySessionFile::appliesTo (info->hwType(), chosen);
    return legacy ? LegacySessionFile::load (target, chosen) : SessionFile::load (target, chosen);
}

//==============================================================================
void SessionStore::resetState()
{
    for (int c = 0; c < state.inputCount(); ++c)
        state.setInputAlias (c, {});

    for (int c = 0; c < state.playbackCount(); ++c)
        state.setPlaybackAlias (c, {});

    for (int c = 0; c < state.outputCount(); ++c)
        state.setOutputAlias (c, {});

    state.resetToDefaults();
}

} // namespace arx
