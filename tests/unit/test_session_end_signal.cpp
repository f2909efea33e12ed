// The end of the session on Linux: SIGTERM reaches the device bus's message windows as the two
// messages Windows sends to every top-level window.

#include "platform/DeviceBusPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>

namespace
{
using namespace arx::platform;

bool nextMessage (MessageWindow& w, Win32Message& m)
{
    auto f = std::async (std::launch::async, [&] { return w.getMessage (m); });
    return f.wait_for (std::chrono::seconds (5)) == std::future_status::ready && f.get();
}

void expectSessionEnd (MessageWindow& window)
{
    Win32Message m;
    ASSERT_TRUE (nextMessage (window, m));
    EXPECT_EQ (m.message, WM_QUERYENDSESSION);
    ASSERT_TRUE (nextMessage (window, m));
    EXPECT_EQ (m.message, WM_ENDSESSION);
    EXPECT_EQ (m.wParam, 1u);
}

TEST (SessionEndSignal, SigtermReachesEveryWindowOnceAndTheDispositionComesBack)
{
    const juce::TemporaryFile folder;
    DeviceBusPlatform bus (folder.getFile());
    {
        auto first = bus.createMessageWindow();
        auto second = bus.createMessageWindow();
        ASSERT_NE (first, nullptr);
        ASSERT_NE (second, nullptr);

        ASSERT_EQ (std::raise (SIGTERM), 0); // handled: the test process lives on
        expectSessionEnd (*first);
        expectSessionEnd (*second);

        // Nothing more: one signal, one pair of messages each.
        second->postMessage (WM_CLOSE, 0, 0);
        Win32Message m;
        EXPECT_FALSE (nextMessage (*second, m));

        // A window that has gone hears nothing; the other still does.
        second.reset();
        ASSERT_EQ (std::raise (SIGTERM), 0);
        expectSessionEnd (*first);
    }

    struct sigaction current {};
    ASSERT_EQ (::sigaction (SIGTERM, nullptr, &current), 0);
    EXPECT_EQ (current.sa_handler, SIG_DFL);
}

} // namespace
