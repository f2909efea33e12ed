// Device names on the bus: what a device's registry value turns into on each backend, and
// which names the lab can publish side by side.

#include "device/Device.h"
#include "platform/DeviceBusPlatform.h"
#include "sim/BusServer.h"
#include "sim/InProcessPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace arx;

namespace
{
// A lab served on a device directory of its own, in this process.
struct ServedLab
{
    ServedLab()
    {
        juce::String error;
        started = server.start (error);
    }

    static juce::File makeFolder()
    {
        // Socket paths must stay short: under /tmp.
        char pattern[] = "/tmp/arx-names-XXXXXX";
        return ::mkdtemp (pattern) != nullptr ? juce::File (pattern) : juce::File();
    }

    ~ServedLab()
    {
        server.stop();
        dir.deleteRecursively();
    }

    sim::DeviceLab lab;
    juce::File dir { makeFolder() };
    sim::BusServer server { lab, dir };
    bool started = false;
};

// The unique name the console gives the interface at `path` of this platform.
juce::String nameOn (platform::Platform& platform, const juce::String& path)
{
    auto set = platform.getClassDevs (platform::ARX_INTERFACE_CLASS);
    platform::DeviceInterfaceData data;
    for (int i = 0; set->enumDeviceInterface (i, data); ++i)
        if (data.devicePath == path)
            return Device (platform, *set, data).uniqueName();
    return "(not listed)";
}

TEST (BusNames, UnterminatedSixtyFourByteNameGivesTheSameSixtyThreeCharactersOnBothBackends)
{
    ServedLab served;
    ASSERT_TRUE (served.started);
    const juce::String letters ("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_!");
    ASSERT_EQ (letters.length(), 64);

    sim::PlugOptions options;
    options.uniqueName = "Long";
    options.uniqueNameOverride = juce::MemoryBlock (letters.toRawUTF8(), 64);
    ASSERT_NE (served.lab.plug (options), nullptr);

    platform::DeviceBusPlatform bus (served.dir);
    sim::InProcessPlatform inProcess (served.lab);
    const auto expected = letters.substring (0, 63);
    EXPECT_EQ (nameOn (bus, served.server.entryFor ("Long").getFullPathName()), expected);
    EXPECT_EQ (nameOn (inProcess, sim::DeviceLab::devicePath ("Long")), expected);
}

TEST (BusNames, ANameWhoseFolderIsTakenIsRefusedAndTheFirstDeviceStays)
{
    ServedLab served;
    ASSERT_TRUE (served.started);
    sim::PlugOptions first;
    first.uniqueName = "A.1";
    juce::String error;
    ASSERT_NE (served.server.plug (first, error), nullptr) << error;
    const auto folder = served.server.entryFor ("A.1");
    ASSERT_TRUE (folder.getChildFile ("device").exists());

    sim::PlugOptions second;
    second.uniqueName = "A_1";
    EXPECT_EQ (served.server.plug (second, error), nullptr);
    EXPECT_TRUE (error.contains ("A_1") && error.contains ("A.1")) << error;
    const auto reply = served.server.handleControlLine ("plug arx A_1");
    EXPECT_TRUE (reply.startsWith ("error")) << reply;

    EXPECT_EQ (served.lab.devices().size(), 1u);
    EXPECT_TRUE (folder.getChildFile ("device").exists());
    platform::DeviceBusPlatform bus (served.dir);
    EXPECT_EQ (nameOn (bus, folder.getFullPathName()), "A.1");
}

} // namespace
