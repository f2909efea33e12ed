#include "console/ConsolePreferences.h"

#include <juce_data_structures/juce_data_structures.h>

namespace arx
{

juce::String prefs::channelKey (const char* keyFormat, int channel)
{
    return juce::String (keyFormat).replace ("%d", juce::String (channel));
}

juce::PropertiesFile::Options consolePreferencesOptions (const juce::String& uniqueName)
{
    juce::PropertiesFile::Options options;
    options.applicationName = uniqueName;
    options.filenameSuffix = prefs::fileSuffix;
    options.folderName = prefs::folderName;
    options.commonToAllUsers = false;
    options.millisecondsBeforeSaving = prefs::millisecondsBeforeSaving;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

std::unique_ptr<juce::PropertiesFile> openConsolePreferences (const juce::String& uniqueName,
                                                              const juce::File& folder)
{
    const auto options = consolePreferencesOptions (uniqueName);

    // The unique name comes from the driver: keep path separators and the like out of the file
    // name so that it always lands inside the preferences folder.
    const auto fileName = juce::File::createLegalFileName (uniqueName) + "." + prefs::fileSuffix;

    const auto location = folder != juce::File()
                              ? folder
                              : juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                                    .getChildFile (prefs::folderName);

    return std::make_unique<juce::PropertiesFile> (location.getChildFile (fileName), options);
}

} // namespace arx
