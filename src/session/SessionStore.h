#pragma once

// Where and under which names one console keeps its sessions, and the steps of save, load and
// reset around the user's choices. It decides which dialog to open and which message to show;
// showing them is the session controller's job, so everything here runs without a display.
//
// Threads: message thread.

#include "session/SessionMessage.h"

#include <juce_core/juce_core.h>

#include <optional>

namespace arx
{

class ConsoleState;

class SessionStore
{
public:
    struct FileDialog
    {
        juce::String title;
        juce::File start; // a folder, or (Vista and later) the folder joined with the filter
        juce::String filter;
        bool forSaving = false; // a save dialog: the name typed need not exist
    };

    // What comes next: a message (and the end), a dialog, or for a save its target.
    struct Step
    {
        SessionMessage message = SessionMessage::none;
        std::optional<FileDialog> dialog;
        juce::File target;
    };

    struct LoadResult
    {
        SessionMessage message = SessionMessage::none;
        // A loader ran (even one that refused the file): the console shows the state again.
        bool loaderRan = false;
    };

    SessionStore (ConsoleState& state, bool vistaOrLater);

    // The model name followed by " session": a session x is the file "x.<model> session".
    juce::String extension() const;
    juce::String saveFilter() const;
    // The save filter, plus the legacy files for the model that had them.
    juce::String loadFilter() const;

    Step beginSave (bool forceDialog) const;
    // The file a save of `chosen` writes: with the extension added when missing.
    juce::File saveTarget (const juce::File& chosen) const { return withExtension (chosen, extension()); }
    // Adds the extension when missing, writes the file and remembers its folder and name.
    SessionMessage finishSave (const juce::File& chosen);

    Step beginLoad() const;
    LoadResult finishLoad (const juce::File& chosen);
    // Reads `chosen` as finishLoad would, into `target` instead of the console's state; the
    // session name and folder stay.
    SessionMessage readInto (ConsoleState& target, const juce::File& chosen) const;

    // The state side of a reset: every level, pan, mute, solo, name and clock flag of the
    // device's channels to its default. Gang masks and the session names stay.
    void resetState();

    // `file`, with "." and `extension` appended unless its name already ends so (any case).
    static juce::File withExtension (const juce::File& file, const juce::String& extension);

private:
    // The dialog in the sessions folder, or `folderUnusable` when the folder cannot be made.
    Step dialogStep (SessionMessage folderUnusable, const juce::String& title, const juce::String& filter,
                     bool forSaving) const;
    void remember (const juce::File& file);

    ConsoleState& state;
    const bool vista;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SessionStore)
};

} // namespace arx
