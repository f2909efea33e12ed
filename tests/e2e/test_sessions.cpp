// Sessions in a real console against a separate device lab, driven through X: a mix saved with
// the Save button and the file dialog, the mixer changed, the session loaded back with Ctrl+O,
// Ctrl+S after the load, the question before a save replaces a file, and the reset button.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

#include <thread>

namespace arx::e2e
{
namespace
{

// Where things are in the content of an "arx" device (13 inputs) with the shipped skin: the
// page starts 30 pixels down, the strips 41 pixels below it, 54 pixels apart; the session box
// stands left of the logo, its buttons 25 pixels apart.
constexpr int inputs = 13, stripWidth = 54, stripTop = 30 + 41;
constexpr int sessionButtonX = 13 * 54 + 54, loadButtonY = 30 + 19 + 12, saveButtonY = loadButtonY + 25,
              resetButtonY = saveButtonY + 25;
// The file name box of the file dialog.
constexpr int fileBoxX = 300, fileBoxY = 437;

struct Spot
{
    int x, y;
};

Spot valueBox (int strip) { return { strip * stripWidth + 29, stripTop + 421 }; }
Spot muteButton (int strip) { return { strip * stripWidth + 30, stripTop + 172 }; }
Spot soloButton (int strip) { return { strip * stripWidth + 30, stripTop + 149 }; }
Spot panKnob (int strip) { return { strip * stripWidth + 28, stripTop + 95 }; }

const char* const tables[] = { "monitorGain", "monitorPan", "monitorMute", "monitorSolo" };

class SessionsE2e : public ConsoleE2eTest
{
protected:
    void open()
    {
        name = plugged();
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void xdo (const std::vector<std::string>& args) { ASSERT_EQ (rig->xdotool (args).exitCode, 0); }

    void click (Spot s, bool withCtrl = false)
    {
        // The pointer comes from elsewhere, as a user's does.
        xdo ({ "mousemove", "--sync", std::to_string (window.x + s.x + 120), std::to_string (window.y + s.y + 120) });
        auto args = std::vector<std::string> { "mousemove", "--sync", std::to_string (window.x + s.x),
                                               std::to_string (window.y + s.y) };
        if (withCtrl)
            args.insert (args.end(), { "keydown", "ctrl", "click", "1", "keyup", "ctrl" });
        else
            args.insert (args.end(), { "click", "1" });
        xdo (args);
    }

    void typeLevel (int strip, const std::string& level)
    {
        click (valueBox (strip));
        xdo ({ "type", "--delay", "30", "--", level });
        xdo ({ "key", "Return" });
    }

    void pressInConsole (const std::string& key)
    {
        xdo ({ "windowfocus", "--sync", std::to_string (window.id) });
        xdo ({ "key", key });
    }

    // The file dialog titled `title` that `openDialog` brings up: `file` typed into its name
    // box, then Return.
    void answerFileDialog (const std::function<void()>& openDialog, const std::string& title, const std::string& file)
    {
        openDialog();
        ASSERT_TRUE (rig->clickInWindow (title, fileBoxX, fileBoxY)) << "no file dialog\n" << rig->consoleLog (console);
        xdo ({ "type", "--delay", "20", "--", file });
        xdo ({ "key", "Return" });
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->x().findWindows (title).empty(); }, 10000));
    }

    bool deviceShows (const std::function<bool (const DeviceDump&)>& condition, int timeoutMs = 8000)
    {
        return ConsoleRig::waitUntil ([&] { return condition (rig->dump (name)); }, timeoutMs, 100);
    }

    bool deviceHas (const char* table, int input, int output, juce::int64 value)
    {
        return deviceShows ([&] (const DeviceDump& d) { return d.monitor (table, input, output) == value; });
    }

    // The monitor tables as the lab holds them.
    static juce::String mixOf (const DeviceDump& d)
    {
        juce::String text;
        for (auto* table : tables)
            text << table << ": " << juce::JSON::toString (d.json["mixer"][table], true) << "\n";
        return text;
    }

    juce::File sessionsFolder() const
    {
        return juce::File (rig->homeDir()).getChildFile ("Documents/ARX sessions");
    }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (SessionsE2e, ASavedMixComesBackOnLoadAndCtrlSThenWritesTheLoadedFileWithoutADialog)
{
    open();

    // A mix: two typed levels, a mute, every input soloed, two pans centred.
    typeLevel (2, "-12.5");
    typeLevel (3, "-20");
    click (muteButton (6));
    click (soloButton (0), true);
    click (panKnob (0), true);
    click (panKnob (1), true);
    ASSERT_TRUE (deviceHas ("monitorGain", 2, 0, gainToCode (-12.5f)));
    ASSERT_TRUE (deviceHas ("monitorGain", 3, 0, gainToCode (-20.0f)));
    ASSERT_TRUE (deviceHas ("monitorSolo", inputs - 1, 0, 2));
    ASSERT_TRUE (deviceHas ("monitorPan", 1, 0, 128));
    const auto saved = mixOf (rig->dump (name));

    answerFileDialog ([&] { click ({ sessionButtonX, saveButtonY }); }, "Save settings", "gig");
    const auto file = sessionsFolder().getChildFile ("gig.ARX session");
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return file.getSize() == 13456; }, 10000)) << rig->consoleLog (console);

    // The mixer changes: the reset button, then a level of its own.
    click ({ sessionButtonX, resetButtonY });
    ASSERT_TRUE (deviceHas ("monitorSolo", inputs - 1, 0, 0));
    typeLevel (4, "-40");
    ASSERT_TRUE (deviceHas ("monitorGain", 4, 0, gainToCode (-40.0f)));
    ASSERT_NE (mixOf (rig->dump (name)), saved);

    answerFileDialog ([&] { pressInConsole ("ctrl+o"); }, "Load settings", "gig.ARX session");
    // The compare window lists what changes; Return is its "Load all".
    ASSERT_TRUE (rig->pressInWindow ("Compare before load", "Return")) << rig->consoleLog (console);
    EXPECT_TRUE (deviceShows ([&] (const DeviceDump& d) { return mixOf (d) == saved; }))
        << "the device does not hold the saved mix\n" << mixOf (rig->dump (name)) << "\nsaved:\n" << saved;
    rig->screenshot();

    // Ctrl+S now writes the loaded file at once: the window answers the next click, and the file
    // holds the new level.
    typeLevel (5, "-33");
    ASSERT_TRUE (deviceHas ("monitorGain", 5, 0, gainToCode (-33.0f)));
    pressInConsole ("ctrl+s");
    const auto savedGain = [&] {
        juce::MemoryBlock bytes;
        if (! file.loadFileAsData (bytes) || bytes.getSize() != 13456)
            return 0u;
        uint32_t code = 0;
        std::memcpy (&code, static_cast<const char*> (bytes.getData()) + 64 + 32 + 4 * (40 * 5 + 0), 4);
        return juce::ByteOrder::swapIfBigEndian (code);
    };
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return savedGain() == gainToCode (-33.0f); }, 10000));
    const auto muted = rig->dump (name).monitor ("monitorMute", 7, 0);
    click (muteButton (7));
    EXPECT_TRUE (deviceHas ("monitorMute", 7, 0, muted != 0 ? 0 : 1)) << "a dialog holds the window";
    EXPECT_EQ (sessionsFolder().findChildFiles (juce::File::findFiles, false).size(), 1);

    // Saved with the name typed without its extension: the console asks before it replaces
    // "gig.ARX session", and Cancel keeps the file as it was.
    juce::MemoryBlock before, after;
    ASSERT_TRUE (file.loadFileAsData (before));
    answerFileDialog ([&] { click ({ sessionButtonX, saveButtonY }); }, "Save settings", "gig");
    EXPECT_TRUE (rig->pressInWindow ("File already exists", "Escape")) << rig->consoleLog (console);
    ASSERT_TRUE (file.loadFileAsData (after));
    EXPECT_EQ (after, before);
    click (muteButton (7));
    EXPECT_TRUE (deviceHas ("monitorMute", 7, 0, muted)) << "the question let the window go";
}

TEST_F (SessionsE2e, TheResetButtonSendsTheDefaults)
{
    open();
    typeLevel (0, "-6");
    click (soloButton (3));
    click (muteButton (0));
    click (panKnob (12), true);
    ASSERT_TRUE (deviceHas ("monitorPan", 12, 0, 128));

    click ({ sessionButtonX, resetButtonY });

    // Unity gains, no solos, analog inputs 1 and 2 heard on outputs 1 and 2 only, the stereo
    // pairs (analog 1 and 2, S/PDIF 1 and 2) panned left and right and the guitar's inputs
    // (3 to 11) in the centre.
    const auto defaults = [] (const DeviceDump& d) {
        for (int i = 0; i < inputs; ++i)
            for (int o = 0; o < 6; o += 2)
            {
                const bool guitar = i >= 2 && i <= 10;
                const auto pan = guitar ? 128 : (i == 1 || i == inputs - 1 ? 255 : 0);
                const auto mute = (i < 2 && o == 0) ? 0 : 1;
                if (d.monitor ("monitorGain", i, o) != unityGainCode || d.monitor ("monitorSolo", i, o) != 0
                    || d.monitor ("monitorPan", i, o) != pan || d.monitor ("monitorMute", i, o) != mute)
                    return false;
            }
        return true;
    };
    EXPECT_TRUE (deviceShows (defaults)) << mixOf (rig->dump (name));
}

} // namespace
} // namespace arx::e2e
