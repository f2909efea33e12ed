// "Start at login" from the tray menu: the user's choice lands in the application preferences
// and in the session's autostart entries, real files under folders of the test's own.

#include "app/ConsoleTrayIcon.h"
#include "app/StartAtLogin.h"
#include "console/ConsolePreferences.h"
#include "platform/Autostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace arx::test
{
namespace
{

class ScopedVariable
{
public:
    // A null value unsets the variable.
    ScopedVariable (const char* variableName, const char* value) : name (variableName)
    {
        if (const char* old = std::getenv (name))
            previous = old;
        if (value != nullptr)
            ::setenv (name, value, 1);
        else
            ::unsetenv (name);
    }
    ~ScopedVariable()
    {
        if (previous)
            ::setenv (name, previous->c_str(), 1);
        else
            ::unsetenv (name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

class NoHost : public ConsoleTrayIcon::Host, public juce::MessageListener
{
public:
    void showAllWindows() override {}
    void requestQuit() override {}
    juce::MessageListener& messageTarget() override { return *this; }
    void handleMessage (const juce::Message&) override {}
};

// A user of the test's own (the preferences live under the home folder) and the system's
// configuration folder, both empty to begin with.
struct Session
{
    Session() { root.getFile().createDirectory(); }
    ~Session() { root.getFile().deleteRecursively(); }

    juce::TemporaryFile root;
    juce::File user = root.getFile().getChildFile (".config");
    juce::File system = root.getFile().getChildFile ("xdg");
    ScopedVariable home { "HOME", root.getFile().getFullPathName().toRawUTF8() };
    ScopedVariable configHome { "XDG_CONFIG_HOME", nullptr };
    ScopedVariable configDirs { "XDG_CONFIG_DIRS", system.getFullPathName().toRawUTF8() };

    juce::File userEntry() const { return user.getChildFile ("autostart").getChildFile (entryName()); }
    juce::File systemEntry() const { return system.getChildFile ("autostart").getChildFile (entryName()); }
    static juce::String entryName() { return juce::String (platform::autostart::entryName) + ".desktop"; }

    // As the package installs it.
    void installSystemEntry() const
    {
        systemEntry().getParentDirectory().createDirectory();
        systemEntry().replaceWithText ("[Desktop Entry]\nType=Application\nName=ARX Console\nExec=arx-console\n");
    }

    std::optional<bool> storedChoice() const
    {
        auto preferences = openApplicationPreferences();
        if (! preferences->containsKey (prefs::startAtLogin))
            return std::nullopt;
        return preferences->getBoolValue (prefs::startAtLogin);
    }
};

bool tickShown()
{
    juce::PopupMenu menu;
    ConsoleTrayIcon::fillMenu (menu, {});
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (it.getItem().itemID == ConsoleTrayIcon::startAtLoginId)
            return it.getItem().isTicked;
    ADD_FAILURE() << "no Start at login item";
    return false;
}

void chooseStartAtLogin()
{
    NoHost host;
    ConsoleTrayIcon::performChoice (ConsoleTrayIcon::startAtLoginId, {}, host);
}

TEST (StartAtLogin, TheMenuSwitchesThePackagesEntryOffForTheUserAndOnAgain)
{
    Session session;
    session.installSystemEntry();
    EXPECT_TRUE (tickShown()); // the package's entry starts it until the user says otherwise

    chooseStartAtLogin();
    EXPECT_FALSE (tickShown());
    EXPECT_EQ (session.storedChoice(), std::optional<bool> (false));
    ASSERT_TRUE (session.userEntry().existsAsFile());
    EXPECT_TRUE (session.userEntry().loadFileAsString().contains ("\nHidden=true\n"));
    EXPECT_FALSE (platform::autostart::isEnabled());
    EXPECT_TRUE (session.systemEntry().existsAsFile()); // the package's file stays the package's

    chooseStartAtLogin();
    EXPECT_TRUE (tickShown());
    EXPECT_EQ (session.storedChoice(), std::optional<bool> (true));
    EXPECT_FALSE (session.userEntry().exists());
    EXPECT_TRUE (platform::autostart::isEnabled());
}

TEST (StartAtLogin, WithoutThePackagesEntryTheUserGetsAnEntryOfTheRunningProgram)
{
    Session session;
    EXPECT_FALSE (tickShown());

    chooseStartAtLogin();
    EXPECT_TRUE (tickShown());
    const auto text = session.userEntry().loadFileAsString();
    EXPECT_TRUE (text.startsWith ("[Desktop Entry]\n")) << text;
    EXPECT_TRUE (text.contains ("Exec=" + juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName().quoted()))
        << text;
    EXPECT_FALSE (text.contains ("Hidden")) << text;

    chooseStartAtLogin();
    EXPECT_FALSE (tickShown());
    EXPECT_FALSE (session.userEntry().exists());
}

TEST (StartAtLogin, TheStoredChoiceIsMadeAgainWhenTheSessionLostIt)
{
    Session session;
    session.installSystemEntry();
    StartAtLogin().set (false);
    ASSERT_TRUE (session.userEntry().deleteFile()); // e.g. the user's folder was reset

    EXPECT_TRUE (platform::autostart::isEnabled());
    EXPECT_FALSE (StartAtLogin().isOn());
    StartAtLogin().restoreChoice();
    EXPECT_FALSE (platform::autostart::isEnabled());
    EXPECT_TRUE (session.userEntry().loadFileAsString().contains ("\nHidden=true\n"));
}

} // namespace
} // namespace arx::test
