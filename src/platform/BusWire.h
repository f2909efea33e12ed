#pragma once

// The device-bus wire format, shared by the client handle and the device lab's server.
// Request: u32 code, u32 input size, u32 output size, input bytes.
// Reply:   u32 success (0 or 1), u32 bytes returned, output bytes.
// Words are little-endian; neither size may pass maxFrameBytes. Sends never raise SIGPIPE and
// every call goes on after EINTR.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace arx::platform::buswire
{

constexpr uint32_t maxFrameBytes = 64 * 1024;
constexpr size_t requestHeaderBytes = 12;
constexpr size_t replyHeaderBytes = 8;

inline uint32_t getWord (const uint8_t* p) noexcept
{
    return (uint32_t) p[0] | ((uint32_t) p[1] << 8) | ((uint32_t) p[2] << 16) | ((uint32_t) p[3] << 24);
}

inline void putWord (uint8_t* p, uint32_t v) noexcept
{
    p[0] = (uint8_t) v;
    p[1] = (uint8_t) (v >> 8);
    p[2] = (uint8_t) (v >> 16);
    p[3] = (uint8_t) (v >> 24);
}

// False when the peer is gone or the socket fails (a time-out included).
bool sendAll (int fd, const void* data, size_t size);
bool receiveAll (int fd, void* data, size_t size);

// A header and its body in one sendmsg, so the peer wakes once per frame.
bool sendFrame (int fd, const uint8_t* header, size_t headerSize, const void* body, size_t bodySize);

bool sendRequest (int fd, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize);
bool sendReply (int fd, bool success, const void* out, uint32_t returned);

// Reads one reply straight into `out`, usually with a single recvmsg. False, leaving `success`
// and `returned` alone, when the stream broke or the reply cannot be right (success not 0/1,
// more bytes than asked for, or bytes past the reply's end).
bool receiveReply (int fd, void* out, uint32_t outSize, bool& success, uint32_t& returned);

// Server side: reads request frames through one buffer, taking whatever has arrived in one
// recv, so a request usually costs a single call.
class RequestReader
{
public:
    struct Request
    {
        uint32_t code = 0;
        const uint8_t* input = nullptr; // valid until the next call to next()
        uint32_t inSize = 0;
        uint32_t outSize = 0;
    };

    enum class Result { ok, closed, oversized };

    explicit RequestReader (int fd);
    Result next (Request& request);

private:
    bool fill (size_t wanted);

    int fd;
    std::vector<uint8_t> buffer;
    size_t start = 0, end = 0;
};

} // namespace arx::platform::buswire
