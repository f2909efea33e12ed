#include "remote/OscPacket.h"

#include <cmath>
#include <cstring>

namespace arx
{

namespace
{
// A bounded reader of the big-endian, 4-byte aligned OSC fields.
class Reader
{
public:
    Reader (const uint8_t* d, size_t n) : data (d), size (n) {}

    bool atEnd() const noexcept { return pos >= size; }
    size_t remaining() const noexcept { return size - pos; }

    bool readInt (int32_t& value)
    {
        if (remaining() < 4)
            return false;
        const uint32_t v = (uint32_t (data[pos]) << 24) | (uint32_t (data[pos + 1]) << 16)
                           | (uint32_t (data[pos + 2]) << 8) | uint32_t (data[pos + 3]);
        pos += 4;
        std::memcpy (&value, &v, 4);
        return true;
    }

    bool readFloat (float& value)
    {
        int32_t bits = 0;
        if (! readInt (bits))
            return false;
        std::memcpy (&value, &bits, 4);
        return true;
    }

    // A string ends with a zero and is padded to four bytes.
    bool readString (juce::String& text)
    {
        const auto* start = data + pos;
        const auto* end = static_cast<const uint8_t*> (std::memchr (start, 0, remaining()));
        if (end == nullptr)
            return false;
        const auto length = size_t (end - start);
        const auto padded = (length + 4) & ~size_t (3);
        if (padded > remaining()
            || ! juce::CharPointer_UTF8::isValidString (reinterpret_cast<const char*> (start), int (length)))
            return false;
        text = juce::String::fromUTF8 (reinterpret_cast<const char*> (start), int (length));
        pos += padded;
        return true;
    }

    bool readBlock (size_t n, Reader& inner)
    {
        if (n > remaining() || n % 4 != 0)
            return false;
        inner = Reader (data + pos, n);
        pos += n;
        return true;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};

bool decodeMessage (Reader& in, std::vector<juce::OSCMessage>& messages, juce::String& problem)
{
    juce::String address, tags;
    if (! in.readString (address))
        return (problem = "the address is not a terminated string", false);
    for (auto* c = address.toRawUTF8(); *c != 0; ++c)
        if (*c < 32 || *c > 126)
            return (problem = "the address has characters OSC does not allow", false);
    if (! in.readString (tags) || ! tags.startsWithChar (','))
        return (problem = "no type tags after " + address, false);

    // JUCE's pattern class checks the characters; it reports a bad one by throwing, which stops
    // here.
    std::unique_ptr<juce::OSCMessage> message;
    try
    {
        message = std::make_unique<juce::OSCMessage> (juce::OSCAddressPattern (address));
    }
    catch (const juce::OSCFormatError&)
    {
        return (problem = "\"" + address + "\" is not an OSC address", false);
    }

    for (auto* t = tags.toRawUTF8() + 1; *t != 0; ++t)
    {
        const char tag = *t;
        if (tag == 'i')
        {
            int32_t v = 0;
            if (! in.readInt (v))
                return (problem = "an int argument is cut short", false);
            message->addInt32 (v);
        }
        else if (tag == 'f')
        {
            float v = 0.0f;
            if (! in.readFloat (v))
                return (problem = "a float argument is cut short", false);
            message->addFloat32 (v);
        }
        else if (tag == 's')
        {
            juce::String v;
            if (! in.readString (v))
                return (problem = "a string argument is cut short", false);
            message->addString (v);
        }
        else
        {
            return (problem = juce::String ("argument type '") + juce::String::charToString (tag) + "' is not taken", false);
        }
    }
    if (! in.atEnd())
        return (problem = "bytes after the arguments of " + address, false);
    messages.push_back (std::move (*message));
    return true;
}

bool decodeElement (Reader& in, std::vector<juce::OSCMessage>& messages, juce::String& problem, int depth);

bool decodeBundle (Reader& in, std::vector<juce::OSCMessage>& messages, juce::String& problem, int depth)
{
    if (depth > OscPacket::maxBundleDepth)
        return (problem = "bundles nested too deep", false);
    juce::String tag;
    int32_t timeHigh = 0, timeLow = 0;
    if (! in.readString (tag) || tag != "#bundle" || ! in.readInt (timeHigh) || ! in.readInt (timeLow))
        return (problem = "a bundle header is malformed", false);
    while (! in.atEnd())
    {
        int32_t length = 0;
        Reader element (nullptr, 0);
        if (! in.readInt (length) || length <= 0 || ! in.readBlock (size_t (length), element))
            return (problem = "a bundle element's size is wrong", false);
        if (! decodeElement (element, messages, problem, depth + 1))
            return false;
    }
    return true;
}

bool decodeElement (Reader& in, std::vector<juce::OSCMessage>& messages, juce::String& problem, int depth)
{
    {
        Reader peek = in;
        juce::String first;
        if (peek.readString (first) && first == "#bundle")
            return decodeBundle (in, messages, problem, depth);
    }
    return decodeMessage (in, messages, problem);
}

void writeInt (juce::MemoryOutputStream& out, uint32_t v)
{
    out.writeIntBigEndian (int (v));
}

void writeString (juce::MemoryOutputStream& out, const juce::String& text)
{
    const auto utf8 = text.toRawUTF8();
    const auto length = std::strlen (utf8);
    out.write (utf8, length);
    const auto padded = (length + 4) & ~size_t (3);
    for (auto i = length; i < padded; ++i)
        out.writeByte (0);
}
} // namespace

bool OscPacket::decode (const void* data, size_t size, std::vector<juce::OSCMessage>& messages, juce::String& problem)
{
    messages.clear();
    if (data == nullptr || size == 0 || size % 4 != 0)
    {
        problem = "a packet's size is not a multiple of four";
        return false;
    }
    Reader in (static_cast<const uint8_t*> (data), size);
    if (! decodeElement (in, messages, problem, 0))
    {
        messages.clear();
        return false;
    }
    return true;
}

juce::MemoryBlock OscPacket::encode (const juce::OSCMessage& message)
{
    juce::MemoryOutputStream out;
    writeString (out, message.getAddressPattern().toString());
    juce::String tags (",");
    for (const auto& arg : message)
        if (arg.isInt32() || arg.isFloat32() || arg.isString())
            tags += juce::String::charToString ((juce::juce_wchar) arg.getType());
    writeString (out, tags);
    for (const auto& arg : message)
    {
        if (arg.isInt32())
            writeInt (out, uint32_t (arg.getInt32()));
        else if (arg.isFloat32())
        {
            const float f = arg.getFloat32();
            uint32_t bits = 0;
            std::memcpy (&bits, &f, 4);
            writeInt (out, bits);
        }
        else if (arg.isString())
            writeString (out, arg.getString());
    }
    return out.getMemoryBlock();
}

} // namespace arx
