// The console's system volume link as the lab's system side sees it: with each OS generation
// the console takes hold of its device's render endpoints (change callbacks from Vista on,
// legacy mixer handles before), of nothing else, takes in another program's change, and lets go
// when it ends.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"


namespace arx::e2e
{
namespace
{
// What the clients hold on each endpoint of the device, in the lab's order, as "n,n,n".
std::string holds (ConsoleRig& rig, const std::string& name, const char* what)
{
    std::string result;
    const auto endpoints = rig.dump (name).json["endpoints"];
    for (int i = 0; i < endpoints.size(); ++i)
        result += (i > 0 ? "," : "") + std::to_string ((int) endpoints[i][what]);
    return result;
}

TEST_F (ConsoleE2eTest, TheLinkHoldsItsDevicesRenderEndpointsInBothGenerationsAndLetsGo)
{
    const auto other = plugged ("arx", "Other-1");
    for (bool vista : { true, false })
    {
        SCOPED_TRACE (vista ? "endpoint link" : "legacy mixer link");
        const ScopedGeneration generation (vista);
        const char* what = vista ? "clients" : "mixerHandles";
        const auto name = plugged ("arx", vista ? "Vista-1" : "Legacy-1");

        const int c = launch();
        WindowInfo window;
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
        // Analog and headphones endpoints held, the capture endpoint not; the other device's
        // endpoints only by its own window's link.
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return holds (*rig, name, what) == "1,1,0"; }, 10000))
            << holds (*rig, name, what);
        EXPECT_EQ (holds (*rig, other, what), "1,1,0");

        // Another program's change reaches the console, which reads the channel again and keeps
        // the level in the session it writes back at close.
        const int reads = rig->dump (name).gwc ("6/1");
        ASSERT_EQ (rig->endpoint (name, 1, "--volume", "-18"), 0);
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("6/1") > reads; }, 5000, 100))
            << "the console did not hear of the change";

        for (const auto& w : rig->windowsOf (name))
            rig->x().requestClose (w.id);
        for (const auto& w : rig->windowsOf (other))
            rig->x().requestClose (w.id);
        ASSERT_TRUE (rig->console (c).waitForExit (15000));
        EXPECT_EQ (rig->console (c).exitCode(), 0) << rig->consoleLog (c);
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return holds (*rig, name, what) == "0,0,0"; }, 10000));

        // Powered up again, the device plays at the level from its flash.
        ASSERT_EQ (rig->labCommand ({ "power-cycle", name }).exitCode, 0);
        EXPECT_EQ (rig->dump (name).channel ("playbackGain", 1), (juce::int64) gainToCode (-18.0f));
        ASSERT_TRUE (rig->unplug (name));
    }
}

} // namespace
} // namespace arx::e2e
