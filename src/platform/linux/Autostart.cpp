#include "platform/Autostart.h"

namespace arx::platform::autostart
{

namespace
{
juce::String desktopFileName() { return juce::String (entryName) + ".desktop"; }

juce::File configFolder (const char* variable, const juce::String& fallback)
{
    const auto value = juce::SystemStats::getEnvironmentVariable (variable, {});
    return juce::File::isAbsolutePath (value) ? juce::File (value) : juce::File (fallback);
}

// The user's entry: it takes the place of any entry of the system's by the same name.
juce::File userEntry()
{
    return configFolder ("XDG_CONFIG_HOME", "~/.config").getChildFile ("autostart").getChildFile (desktopFileName());
}

// The first entry of the system's folders ($XDG_CONFIG_DIRS, most important first).
juce::File systemEntry()
{
    auto dirs = juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_DIRS", {}), ":", {});
    dirs.removeEmptyStrings();
    if (dirs.isEmpty())
        dirs.add ("/etc/xdg");
    for (auto& dir : dirs)
        if (juce::File::isAbsolutePath (dir))
            if (auto entry = juce::File (dir).getChildFile ("autostart").getChildFile (desktopFileName()); entry.existsAsFile())
                return entry;
    return {};
}

// An entry starts the program unless it says Hidden=true in its [Desktop Entry] group.
bool startsProgram (const juce::File& entry)
{
    juce::StringArray lines;
    entry.readLines (lines);
    bool inMainGroup = false;
    for (auto line : lines)
    {
        line = line.trim();
        if (line.startsWithChar ('['))
            inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && line.upToFirstOccurrenceOf ("=", false, false).trim() == "Hidden")
            return line.fromFirstOccurrenceOf ("=", false, false).trim() != "true";
    }
    return true;
}

juce::String entryText (bool hidden)
{
    const auto program = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();
    juce::String text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=ARX Console\n"
         << "Exec=" << program.quoted() << "\n"
         << "Icon=arx-console\n";
    if (hidden)
        text << "Hidden=true\n";
    return text;
}

bool writeEntry (bool hidden, juce::String& failure)
{
    const auto entry = userEntry();
    const auto result = entry.getParentDirectory().createDirectory();
    if (result.failed())
    {
        failure = "cannot make " + entry.getParentDirectory().getFullPathName() + ": " + result.getErrorMessage();
        return false;
    }
    if (! entry.replaceWithText (entryText (hidden), false, false, "\n"))
    {
        failure = "cannot write " + entry.getFullPathName();
        return false;
    }
    return true;
}

bool removeEntry (juce::String& failure)
{
    const auto entry = userEntry();
    if (entry.existsAsFile() && ! entry.deleteFile())
    {
        failure = "cannot remove " + entry.getFullPathName();
        return false;
    }
    return true;
}
} // namespace

bool isEnabled()
{
    const auto own = userEntry();
    if (own.existsAsFile())
        return startsProgram (own);
    const auto shared = systemEntry();
    return shared.existsAsFile() && startsProgram (shared);
}

bool setEnabled (bool on, juce::String& failure)
{
    // The system's entry (the package's) is left as it is; the user's own entry overrides it or,
    // where it would say the same, goes.
    const auto shared = systemEntry();
    const bool sharedStarts = shared.existsAsFile() && startsProgram (shared);
    if (on == sharedStarts)
        return removeEntry (failure);
    return writeEntry (! on, failure);
}

} // namespace arx::platform::autostart
