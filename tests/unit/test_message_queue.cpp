// The message queue behind the device bus's and the in-process lab's message windows.

#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
using namespace arx::platform;

constexpr uint32_t appMessage = 0x0400;

TEST (MessageQueue, DeliversInOrderAndCloseDropsTheRest)
{
    MessageQueue q;
    EXPECT_TRUE (q.post (appMessage + 1, 2, 3));
    EXPECT_TRUE (q.postDeviceRemoval ("/dev/x"));
    EXPECT_TRUE (q.post (WM_CLOSE, 0, 0));
    EXPECT_TRUE (q.post (appMessage + 2, 0, 0));

    Win32Message m;
    ASSERT_TRUE (q.take (m));
    EXPECT_EQ (m.message, (uint32_t) appMessage + 1);
    EXPECT_EQ (m.wParam, 2u);
    EXPECT_EQ (m.lParam, 3);
    ASSERT_TRUE (q.take (m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEQUERYREMOVE);
    ASSERT_NE (m.broadcast, nullptr);
    EXPECT_EQ (m.lParam, (intptr_t) m.broadcast.get());
    EXPECT_EQ (m.broadcast->name, "/dev/x");
    ASSERT_TRUE (q.take (m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEREMOVECOMPLETE);
    EXPECT_FALSE (q.take (m));
    EXPECT_FALSE (q.take (m)); // stays closed
    EXPECT_FALSE (q.post (appMessage, 0, 0));
    EXPECT_EQ (q.tryTake (m), MessageQueue::Taken::closed);
}

TEST (MessageQueue, TryTakeReportsEmptyAndTakeWaitsForAPost)
{
    MessageQueue q;
    Win32Message m;
    m.message = 12345;
    EXPECT_EQ (q.tryTake (m), MessageQueue::Taken::empty);
    EXPECT_EQ (m.message, 12345u);

    std::thread poster ([&] {
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
        q.postDeviceChange (DBT_DEVICEARRIVAL, "/dev/y");
    });
    ASSERT_TRUE (q.take (m));
    poster.join();
    EXPECT_EQ (m.message, (uint32_t) WM_DEVICECHANGE);
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEARRIVAL);
}

} // namespace
