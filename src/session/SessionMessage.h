#pragma once

// What a session operation tells the user when it stops short. Every message is shown in a box
// titled "Console settings" with a single OK button; the operation then ends.

#include <juce_core/juce_core.h>

namespace arx
{

enum class SessionMessage
{
    none,
    cannotCreateFolder, // sessions folder unusable, on save
    cannotOpenFolder,   // sessions folder unusable, on load
    fileDoesNotExist,
    unableToErase,      // an existing target cannot be replaced
    unableToOpen,       // a target cannot be created, or a file cannot be opened or has the wrong length
    unableToWrite,
    headerTooSmall,     // session file: short read
    headerInvalid,      // session file: made for another device
    wrongSize,          // legacy file: short read
    dataInvalid,        // image length word wrong
    wrongVersion
};

constexpr const char* sessionMessageTitle = "Console settings";

// The text shown for a message; empty for none.
juce::String sessionMessageText (SessionMessage message);

} // namespace arx
