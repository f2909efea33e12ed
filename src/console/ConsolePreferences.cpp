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

namespace
{
juce::File preferencesFolder (const juce::File& folder)
{
    return folder != juce::File() ? folder
                                  : juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                                        .getChildFile (prefs::folderName);
}
} // namespace

std::unique_ptr<juce::PropertiesFile> openConsolePreferences (const juce::String& uniqueName,
                                                              const juce::File& folder)
{
    const auto options = consolePreferencesOptions (uniqueName);

    // The unique name comes from the driver: keep path separators and the like out of the file
    // name so that it always lands inside the preferences folder.
    const auto fileName = juce::File::createLegalFileName (uniqueName) + "." + prefs::fileSuffix;

    return std::make_unique<juce::PropertiesFile> (preferencesFolder (folder).getChildFile (fileName), options);
}

std::unique_ptr<juce::PropertiesFile> openApplicationPreferences (const juce::File& folder)
{
    auto options = consolePreferencesOptions ("application");
    options.filenameSuffix = "settings";
    options.millisecondsBeforeSaving = 0;
    return std::make_unique<juce::PropertiesFile> (preferencesFolder (folder).getChildFile ("application.settings"), options);
}

} // namespace arx
