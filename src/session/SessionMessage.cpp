#include "session/SessionMessage.h"

namespace arx
{

juce::String sessionMessageText (SessionMessage message)
{
    switch (message)
    {
        case SessionMessage::none: return {};
        case SessionMessage::cannotCreateFolder: return "Cannot create folder.";
        case SessionMessage::cannotOpenFolder: return "Cannot open folder.";
        case SessionMessage::fileDoesNotExist: return "The specified file does not exist.";
        case SessionMessage::unableToErase: return "Unable to erase the existing file.";
        case SessionMessage::unableToOpen: return "Unable to open the file.";
        case SessionMessage::unableToWrite: return "Unable to write the file.";
        case SessionMessage::headerTooSmall: return "The file header is too small.";
        case SessionMessage::headerInvalid: return "The file header is invalid.";
        case SessionMessage::wrongSize: return "The file is the wrong size.";
        case SessionMessage::dataInvalid: return "The data is invalid.";
        case SessionMessage::wrongVersion: return "The session version is wrong.";
    }

    return {};
}

} // namespace arx
