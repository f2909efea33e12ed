// The input strips of a real console against a separate device lab, driven with the mouse and
// the keyboard through X: typed levels and Tab, a mute click, a Ctrl-click solo, and meters
// that follow the lab's signal.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

#include <set>
#include <thread>

namespace arx::e2e
{
namespace
{

// Where things are in the content with the shipped skin: the page starts 30 pixels down, the
// strips 41 pixels below it, 54 pixels apart.
constexpr int stripWidth = 54, stripTop = 30 + 41;

struct Spot
{
    int x, y;
};

Spot valueBox (const WindowInfo& w, int strip) { return { w.x + strip * stripWidth + 29, w.y + stripTop + 421 }; }
Spot muteButton (const WindowInfo& w, int strip) { return { w.x + strip * stripWidth + 30, w.y + stripTop + 172 }; }
Spot soloButton (const WindowInfo& w, int strip) { return { w.x + strip * stripWidth + 30, w.y + stripTop + 149 }; }

class InputStripsE2e : public ConsoleE2eTest
{
protected:
    void open()
    {
        name = plugged();
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void click (Spot s, bool withCtrl = false)
    {
        auto args = std::vector<std::string> { "mousemove", "--sync", std::to_string (s.x), std::to_string (s.y) };
        if (withCtrl)
            args.insert (args.end(), { "keydown", "ctrl", "click", "1", "keyup", "ctrl" });
        else
            args.insert (args.end(), { "click", "1" });
        ASSERT_EQ (rig->xdotool (args).exitCode, 0);
    }

    void keys (const std::vector<std::string>& args)
    {
        ASSERT_EQ (rig->xdotool (args).exitCode, 0);
    }

    bool deviceHas (const char* table, int input, int output, juce::int64 value, int timeoutMs = 5000)
    {
        return ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor (table, input, output) == value; },
                                      timeoutMs, 100);
    }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (InputStripsE2e, ATypedLevelReachesTheDeviceAndTabGoesToTheNextStripsBox)
{
    open();
    const int before = rig->dump (name).gwc ("8/0");

    // Input 3's box: a level and Tab; then input 4's box, which Tab has opened for typing.
    click (valueBox (window, 2));
    keys ({ "type", "--delay", "30", "--", "-12.5" });
    keys ({ "key", "Tab" });
    keys ({ "type", "--delay", "30", "--", "-20" });
    keys ({ "key", "Return" });

    EXPECT_TRUE (deviceHas ("monitorGain", 2, 0, gainToCode (-12.5f))) << "setMonitorGain(2, 0, -12.5) did not arrive";
    EXPECT_TRUE (deviceHas ("monitorGain", 3, 0, gainToCode (-20.0f))) << "Tab did not reach input 4's box";
    const auto after = rig->dump (name);
    EXPECT_GE (after.gwc ("8/0"), before + 2);
    EXPECT_EQ (after.monitor ("monitorGain", 2, 2), unityGainCode) << "only the shown pair changes";
}

TEST_F (InputStripsE2e, AMuteClickAndACtrlClickSoloReachTheDevice)
{
    open();
    const auto muted = rig->dump (name).monitor ("monitorMute", 6, 0);
    ASSERT_GE (muted, 0);

    click (muteButton (window, 6));
    EXPECT_TRUE (deviceHas ("monitorMute", 6, 0, muted != 0 ? 0 : 1));

    click (soloButton (window, 0), true);
    const bool allSoloed = ConsoleRig::waitUntil (
        [&] {
            const auto d = rig->dump (name);
            for (int i = 0; i < 13; ++i)
                if (d.monitor ("monitorSolo", i, 0) == 0)
                    return false;
            return true;
        },
        5000, 100);
    EXPECT_TRUE (allSoloed) << "a Ctrl-click solo reaches every input";
    const auto d = rig->dump (name);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ (d.monitor ("monitorSolo", i, 2), 0) << "input " << i << " soloed beyond the shown pair";
    rig->screenshot();
}

TEST_F (InputStripsE2e, MetersMoveWithTheLabsSignal)
{
    open();

    // The lit part of each meter: the first row from the top with a bright pixel.
    constexpr int meterX = 8, meterY = stripTop + 203, meterW = 10, meterH = 192;
    const int width = 12 * stripWidth + meterW;
    const auto litTops = [&] {
        std::vector<int> tops;
        const auto rgb = rig->grab (window.x + meterX, window.y + meterY, width, meterH);
        if (rgb.empty())
            return tops;
        for (int k = 0; k < 13; ++k)
        {
            int top = meterH;
            for (int row = 0; row < meterH && top == meterH; ++row)
                for (int dx = 0; dx < meterW; ++dx)
                {
                    const auto* p = reinterpret_cast<const unsigned char*> (rgb.data()) + 3 * (row * width + k * stripWidth + dx);
                    if (std::max ({ p[0], p[1], p[2] }) > 150)
                    {
                        top = row;
                        break;
                    }
                }
            tops.push_back (top);
        }
        return tops;
    };

    std::vector<std::set<int>> seen (13);
    for (int shot = 0; shot < 8; ++shot)
    {
        const auto tops = litTops();
        ASSERT_EQ (tops.size(), 13u) << "no screen grab";
        for (int k = 0; k < 13; ++k)
        {
            // The lab's signal swells between about -26 and 0 dB: always something lit.
            EXPECT_LT (tops[(size_t) k], 130) << "meter " << k << " is dark";
            seen[(size_t) k].insert (tops[(size_t) k]);
        }
        std::this_thread::sleep_for (std::chrono::milliseconds (250));
    }
    for (int k = 0; k < 13; ++k)
        EXPECT_GE (seen[(size_t) k].size(), 2u) << "meter " << k << " stood still";
}

} // namespace
} // namespace arx::e2e
