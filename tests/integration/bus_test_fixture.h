#pragma once

// A separately started arx-devsim daemon on a folder of its own, and its client commands:
// the fixture of the tests that reach the device lab only as the console does.

#include "platform/DeviceBusPlatform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace arx::bustest
{
using namespace arx::platform;

inline const juce::String devsim = juce::String (ARX_BIN_DIR) + "/arx-devsim";

struct BusTest : ::testing::Test
{
    juce::File dir;
    pid_t daemon = -1;

    void SetUp() override
    {
        char pattern[] = "/tmp/arx-bus-XXXXXX";
        ASSERT_NE (::mkdtemp (pattern), nullptr);
        dir = juce::File (pattern);
    }

    void TearDown() override
    {
        if (daemon > 0)
        {
            ::kill (daemon, SIGTERM);
            int status = 0;
            ::waitpid (daemon, &status, 0);
        }
        dir.deleteRecursively();
    }

    void startDaemon (std::vector<std::string> plugs)
    {
        std::vector<std::string> args = { devsim.toStdString(), "serve", "--dir", dir.getFullPathName().toStdString() };
        for (auto& p : plugs)
        {
            args.push_back ("--plug");
            args.push_back (p);
        }
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back (a.data());
        argv.push_back (nullptr);
        ASSERT_EQ (::posix_spawn (&daemon, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        // Ready once the control socket and every plugged entry are there.
        for (int i = 0; i < 500; ++i)
        {
            if (dir.getChildFile (".arx-devsim.ctl").exists() && countEntries() >= (int) plugs.size())
                return;
            juce::Thread::sleep (5);
        }
        FAIL() << "arx-devsim did not come up";
    }

    int countEntries()
    {
        auto set = DeviceBusPlatform (dir).getClassDevs (ARX_INTERFACE_CLASS);
        DeviceInterfaceData d;
        int n = 0;
        while (set->enumDeviceInterface (n, d))
            ++n;
        return n;
    }

    // Runs the client; returns its exit code and output.
    std::pair<int, juce::String> cli (juce::StringArray args)
    {
        args.insert (0, devsim);
        args.add ("--dir");
        args.add (dir.getFullPathName());
        juce::ChildProcess p;
        if (! p.start (args, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return { -1, {} };
        auto out = p.readAllProcessOutput();
        p.waitForProcessToFinish (10000);
        return { (int) p.getExitCode(), out.trim() };
    }

    juce::var dump (const juce::String& name)
    {
        auto [rc, out] = cli ({ "dump", name });
        EXPECT_EQ (rc, 0) << out;
        return juce::JSON::parse (out);
    }

    juce::String path (const juce::String& name) { return dir.getChildFile (name).getFullPathName(); }
};

} // namespace arx::bustest
