// The device-bus wire helpers over a socket pair.

#include "platform/BusWire.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace
{
using namespace arx::platform;
using namespace arx::platform::buswire;

struct SocketPair
{
    int client = -1, server = -1;
    SocketPair()
    {
        int fds[2];
        if (::socketpair (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0)
            client = fds[0], server = fds[1];
    }
    ~SocketPair()
    {
        ::close (client);
        ::close (server);
    }
};

std::vector<uint8_t> words (std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> bytes (values.size() * 4);
    size_t at = 0;
    for (auto v : values)
        putWord (bytes.data() + 4 * at++, v);
    return bytes;
}

TEST (BusWire, WordsAreLittleEndian)
{
    uint8_t b[4];
    putWord (b, 0x11223344u);
    EXPECT_EQ (b[0], 0x44);
    EXPECT_EQ (b[3], 0x11);
    EXPECT_EQ (getWord (b), 0x11223344u);
}

TEST (BusWire, RequestsArriveWholeAndBackToBackOnesStayApart)
{
    SocketPair s;
    ASSERT_GE (s.client, 0);
    const uint8_t first[] = { 1, 2, 3 };
    ASSERT_TRUE (sendRequest (s.client, 0x1D2004, first, sizeof (first), 32));
    ASSERT_TRUE (sendRequest (s.client, 0x1D2000, nullptr, 0, 4));

    RequestReader reader (s.server);
    RequestReader::Request r;
    ASSERT_EQ (reader.next (r), RequestReader::Result::ok);
    EXPECT_EQ (r.code, 0x1D2004u);
    ASSERT_EQ (r.inSize, 3u);
    EXPECT_EQ (r.outSize, 32u);
    EXPECT_EQ (std::vector<uint8_t> (r.input, r.input + 3), std::vector<uint8_t> ({ 1, 2, 3 }));
    ASSERT_EQ (reader.next (r), RequestReader::Result::ok);
    EXPECT_EQ (r.code, 0x1D2000u);
    EXPECT_EQ (r.inSize, 0u);
    EXPECT_EQ (r.outSize, 4u);

    ::shutdown (s.client, SHUT_WR);
    EXPECT_EQ (reader.next (r), RequestReader::Result::closed);
}

TEST (BusWire, RequestSplitAcrossWritesAndLargestInputAreRead)
{
    SocketPair s;
    std::vector<uint8_t> input (maxFrameBytes, 0x5A);
    input.back() = 0xA5;
    std::thread writer ([&] {
        const auto header = words ({ 7, maxFrameBytes, 0 });
        sendAll (s.client, header.data(), 5); // a header cut in two
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
        sendAll (s.client, header.data() + 5, header.size() - 5);
        sendAll (s.client, input.data(), input.size());
    });
    RequestReader reader (s.server);
    RequestReader::Request r;
    ASSERT_EQ (reader.next (r), RequestReader::Result::ok);
    writer.join();
    EXPECT_EQ (r.code, 7u);
    ASSERT_EQ (r.inSize, maxFrameBytes);
    EXPECT_EQ (r.input[0], 0x5A);
    EXPECT_EQ (r.input[maxFrameBytes - 1], 0xA5);
}

TEST (BusWire, OversizedRequestsAreRefusedUnread)
{
    SocketPair s;
    const auto header = words ({ 1, maxFrameBytes + 1, 4 });
    ASSERT_TRUE (sendAll (s.client, header.data(), header.size()));
    RequestReader reader (s.server);
    RequestReader::Request r;
    EXPECT_EQ (reader.next (r), RequestReader::Result::oversized);

    SocketPair t;
    const auto output = words ({ 1, 4, maxFrameBytes + 1 });
    ASSERT_TRUE (sendAll (t.client, output.data(), output.size()));
    RequestReader second (t.server);
    EXPECT_EQ (second.next (r), RequestReader::Result::oversized);
}

TEST (BusWire, ReplyLandsInTheCallersBuffer)
{
    SocketPair s;
    const uint8_t body[] = { 9, 8, 7, 6, 5 };
    ASSERT_TRUE (sendReply (s.server, true, body, sizeof (body)));
    uint8_t out[16] = {};
    bool success = false;
    uint32_t returned = 0;
    ASSERT_TRUE (receiveReply (s.client, out, sizeof (out), success, returned));
    EXPECT_TRUE (success);
    ASSERT_EQ (returned, 5u);
    EXPECT_EQ (out[0], 9);
    EXPECT_EQ (out[4], 5);
    EXPECT_EQ (out[5], 0); // nothing past the reply is touched

    ASSERT_TRUE (sendReply (s.server, false, nullptr, 0));
    ASSERT_TRUE (receiveReply (s.client, out, sizeof (out), success, returned));
    EXPECT_FALSE (success);
    EXPECT_EQ (returned, 0u);
}

TEST (BusWire, ReplyInPiecesIsPutTogether)
{
    SocketPair s;
    const auto reply = words ({ 1, 8, 0xAABBCCDD, 0x01020304 });
    std::thread writer ([&] {
        for (size_t i = 0; i < reply.size(); i += 3)
        {
            sendAll (s.server, reply.data() + i, std::min<size_t> (3, reply.size() - i));
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    });
    uint8_t out[8] = {};
    bool success = false;
    uint32_t returned = 0;
    const bool ok = receiveReply (s.client, out, sizeof (out), success, returned);
    writer.join();
    ASSERT_TRUE (ok);
    EXPECT_TRUE (success);
    EXPECT_EQ (returned, 8u);
    EXPECT_EQ (getWord (out), 0xAABBCCDDu);
    EXPECT_EQ (getWord (out + 4), 0x01020304u);
}

TEST (BusWire, RepliesThatCannotBeRightAreRefused)
{
    uint8_t out[8];
    bool success = false;
    uint32_t returned = 99;
    {
        SocketPair s; // success word other than 0 or 1
        const auto r = words ({ 2, 0 });
        sendAll (s.server, r.data(), r.size());
        EXPECT_FALSE (receiveReply (s.client, out, sizeof (out), success, returned));
    }
    {
        SocketPair s; // more bytes than the caller asked for
        const auto r = words ({ 1, 12, 0, 0, 0 });
        sendAll (s.server, r.data(), r.size());
        EXPECT_FALSE (receiveReply (s.client, out, sizeof (out), success, returned));
    }
    {
        SocketPair s; // bytes past the reply's stated end
        const auto r = words ({ 1, 4, 0, 0 });
        sendAll (s.server, r.data(), r.size());
        EXPECT_FALSE (receiveReply (s.client, out, sizeof (out), success, returned));
    }
    {
        SocketPair s; // the peer goes away mid-reply
        const auto r = words ({ 1 });
        sendAll (s.server, r.data(), r.size());
        ::shutdown (s.server, SHUT_WR);
        EXPECT_FALSE (receiveReply (s.client, out, sizeof (out), success, returned));
    }
    EXPECT_EQ (returned, 99u); // left alone on failure
}

TEST (BusWire, SendingToAClosedPeerFailsWithoutASignal)
{
    SocketPair s;
    ::close (s.server);
    s.server = -1;
    EXPECT_FALSE (sendRequest (s.client, 1, nullptr, 0, 0));
}

} // namespace
