#include "platform/BusWire.h"

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/uio.h>

namespace arx::platform::buswire
{
namespace
{
// Sends every part, going on after short writes (large frames) and EINTR.
bool sendParts (int fd, iovec* parts, size_t count)
{
    while (count > 0)
    {
        msghdr msg {};
        msg.msg_iov = parts;
        msg.msg_iovlen = count;
        const auto n = ::sendmsg (fd, &msg, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        auto sent = (size_t) n;
        while (count > 0 && sent >= parts->iov_len)
        {
            sent -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0)
        {
            parts->iov_base = static_cast<uint8_t*> (parts->iov_base) + sent;
            parts->iov_len -= sent;
        }
    }
    return true;
}
} // namespace

bool sendAll (int fd, const void* data, size_t size)
{
    iovec part { const_cast<void*> (data), size };
    return sendParts (fd, &part, size > 0 ? 1 : 0);
}

bool receiveAll (int fd, void* data, size_t size)
{
    auto* p = static_cast<uint8_t*> (data);
    while (size > 0)
    {
        const auto n = ::recv (fd, p, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= (size_t) n;
    }
    return true;
}

bool sendFrame (int fd, const uint8_t* header, size_t headerSize, const void* body, size_t bodySize)
{
    iovec parts[2] = { { const_cast<uint8_t*> (header), headerSize }, { const_cast<void*> (body), bodySize } };
    return sendParts (fd, parts, bodySize > 0 ? 2 : 1);
}

bool sendRequest (int fd, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize)
{
    uint8_t header[requestHeaderBytes];
    putWord (header, code);
    putWord (header + 4, inSize);
    putWord (header + 8, outSize);
    return sendFrame (fd, header, sizeof (header), in, inSize);
}

bool sendReply (int fd, bool success, const void* out, uint32_t returned)
{
    uint8_t header[replyHeaderBytes];
    putWord (header, success ? 1u : 0u);
    putWord (header + 4, returned);
    return sendFrame (fd, header, sizeof (header), out, returned);
}

bool receiveReply (int fd, void* out, uint32_t outSize, bool& success, uint32_t& returned)
{
    uint8_t header[replyHeaderBytes];
    auto* body = static_cast<uint8_t*> (out);
    // Until the header is in, the most a right reply can hold; then its exact length.
    size_t expected = replyHeaderBytes + (body != nullptr ? outSize : 0);
    size_t got = 0;
    bool sized = false;
    uint32_t count = 0, flag = 0;
    while (got < expected)
    {
        iovec parts[2];
        size_t used = 0;
        if (got < replyHeaderBytes)
            parts[used++] = { header + got, replyHeaderBytes - got };
        const size_t bodyGot = got > replyHeaderBytes ? got - replyHeaderBytes : 0;
        const size_t bodyWanted = expected - replyHeaderBytes;
        if (bodyWanted > bodyGot)
            parts[used++] = { body + bodyGot, bodyWanted - bodyGot };
        msghdr msg {};
        msg.msg_iov = parts;
        msg.msg_iovlen = used;
        const auto n = ::recvmsg (fd, &msg, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += (size_t) n;
        if (! sized && got >= replyHeaderBytes)
        {
            flag = getWord (header);
            count = getWord (header + 4);
            if (flag > 1 || count > outSize || (count > 0 && body == nullptr))
                return false;
            expected = replyHeaderBytes + count;
            if (got > expected)
                return false;
            sized = true;
        }
    }
    success = flag == 1;
    returned = count;
    return true;
}

RequestReader::RequestReader (int f) : fd (f), buffer (requestHeaderBytes + maxFrameBytes) {}

bool RequestReader::fill (size_t wanted)
{
    if (end - start >= wanted)
        return true;
    if (start + wanted > buffer.size())
    {
        std::memmove (buffer.data(), buffer.data() + start, end - start);
        end -= start;
        start = 0;
    }
    while (end - start < wanted)
    {
        const auto n = ::recv (fd, buffer.data() + end, buffer.size() - end, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        end += (size_t) n;
    }
    return true;
}

RequestReader::Result RequestReader::next (Request& request)
{
    if (start == end)
        start = end = 0;
    if (! fill (requestHeaderBytes))
        return Result::closed;
    const auto* header = buffer.data() + start;
    request.code = getWord (header);
    request.inSize = getWord (header + 4);
    request.outSize = getWord (header + 8);
    if (request.inSize > maxFrameBytes || request.outSize > maxFrameBytes)
        return Result::oversized;
    if (! fill (requestHeaderBytes + request.inSize))
        return Result::closed;
    request.input = buffer.data() + start + requestHeaderBytes;
    start += requestHeaderBytes + request.inSize;
    return Result::ok;
}

} // namespace arx::platform::buswire
