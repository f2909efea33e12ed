// The end of the session arrives as SIGTERM; the work happens on the message thread.

#include "app/EndSessionSignal.h"
#include "hw_test_support.h"

#include <gtest/gtest.h>

#include <csignal>

namespace arx::test
{
namespace
{

TEST (EndSessionSignal, SigtermRunsTheCallbackOnTheMessageThreadOnce)
{
    int calls = 0;
    bool onMessageThread = false;
    {
        EndSessionSignal signal ([&] {
            ++calls;
            onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        });
        ASSERT_TRUE (signal.isInstalled());

        ASSERT_EQ (std::raise (SIGTERM), 0); // handled: the test process lives on
        EXPECT_EQ (calls, 0);                 // nothing ran inside the handler
        ASSERT_TRUE (pumpUntil ([&] { return calls > 0; }, 5000));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (calls, 1);
        EXPECT_TRUE (onMessageThread);
    }

    // Gone: the previous disposition is back.
    struct sigaction current {};
    ASSERT_EQ (::sigaction (SIGTERM, nullptr, &current), 0);
    EXPECT_EQ (current.sa_handler, SIG_DFL);
}

} // namespace
} // namespace arx::test
