#include "session/SessionStore.h"

#include "console/ConsoleState.h"
#include "device/HwInfo.h"
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

SessionStore::FileDialog SessionStore::dialogIn (const juce::File& folder, const juce::String& title,
                                                 const juce::String& filter, bool forSaving) const
{
    // Vista's dialog takes the filter as the file name to start with.
    const auto start = vista ? juce::File (folder.getFullPathName() + juce::File::getSeparatorString() + filter)
                             : folder;
    return { title, start, filter, forSaving };
}

void SessionStore::remember (const juce::File& file)
{
    state.setMostRecentFolder (file.getParentDirectory());
    state.setLastSessionName (file.getFileNameWithoutExtension());
}

//==============================================================================
SessionStore::Step SessionStore::beginSave (bool forceDialog) const
{
    Step step;

    if (! forceDialog && state.lastSessionName().isNotEmpty())
    {
        step.target = state.mostRecentFolder().getChildFile (state.lastSessionName());
        return step;
    }

    const auto folder = state.sessionDialogFolder();

    if (folder == juce::File())
        step.message = SessionMessage::cannotCreateFolder;
    else
        step.dialog = dialogIn (folder, "Save settings", saveFilter(), true);

    return step;
}

SessionMessage SessionStore::finishSave (const juce::File& chosen)
{
    const auto target = withExtension (chosen, extension());
    const auto message = SessionFile::save (state, target);

    if (message == SessionMessage::none)
        remember (target);

    return message;
}

//==============================================================================
SessionStore::Step SessionStore::beginLoad() const
{
    Step step;
    const auto folder = state.sessionDialogFolder();

    if (folder == juce::File())
        step.message = SessionMessage::cannotOpenFolder;
    else
        step.dialog = dialogIn (folder, "Load settings", loadFilter(), false);

    return step;
}

SessionStore::LoadResult SessionStore::finishLoad (const juce::File& chosen)
{
    if (! chosen.exists())
        return { SessionMessage::fileDoesNotExist, false };

    const auto* info = state.info();
    const bool legacy = info != nullptr && LegacySessionFile::appliesTo (info->hwType(), chosen);
    const auto message = legacy ? LegacySessionFile::load (state, chosen) : SessionFile::load (state, chosen);

    remember (chosen);
    return { message, true };
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
