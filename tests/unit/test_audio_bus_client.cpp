// The client of the lab's audio socket against a scripted peer: replies that are wrong, late or
// too long, pushes it cannot place, and a peer that goes while a call waits.

#include "platform/AudioBusClient.h"
#include "platform/AudioWire.h"
#include "platform/BusWire.h"

#include <gtest/gtest.h>

#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace arx::platform
{
namespace
{

using namespace audiowire;

struct ScriptedPeer
{
    int fds[2] = { -1, -1 };
    std::shared_ptr<AudioBusClient> client;

    ScriptedPeer()
    {
        EXPECT_EQ (::socketpair (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        client = std::make_shared<AudioBusClient> (fds[0]); // the client owns its end
    }

    ~ScriptedPeer() { ::close (fds[1]); }

    juce::int64 nextRequest (LineReader& lines)
    {
        juce::String line;
        EXPECT_EQ (lines.next (line), LineReader::Result::ok);
        return number (juce::JSON::parse (line), "q", -1);
    }

    void raw (const std::string& text) { buswire::sendAll (fds[1], text.data(), text.size()); }
    void line (const juce::String& json) { raw ((json + "\n").toStdString()); }
};

TEST (AudioBusClient, SkipsWhatIsNotItsReplyAndFailsAtOnceWhenThePeerGoes)
{
    ScriptedPeer peer;
    std::thread script ([&] {
        LineReader lines (peer.fds[1]);
        const auto q = peer.nextRequest (lines);
        peer.raw ("not json at all\n[1, 2]\n\n");
        peer.line ("{\"r\": " + juce::String (q + 100) + ", \"hr\": 0, \"count\": 9}"); // someone else's
        peer.line ("{\"n\": 77, \"ctx\": \"{bad}\"}");                              // no such cookie
        peer.line ("{\"m\": 5, \"msg\": 977, \"w\": 5, \"l\": 1}");                  // no such mixer
        peer.line ("{\"r\": " + juce::String (q) + ", \"hr\": 0, \"count\": 2}");
        peer.nextRequest (lines);
        ::shutdown (peer.fds[1], SHUT_RDWR); // gone without answering
    });

    uint32_t count = 0;
    EXPECT_EQ (peer.client->getChannelCount ("endpoint", count), S_OK);
    EXPECT_EQ (count, 2u);
    EXPECT_EQ (peer.client->getChannelCount ("endpoint", count), AUDCLNT_E_SERVICE_NOT_RUNNING);
    script.join();
    EXPECT_TRUE (peer.client->isBroken());
    EXPECT_EQ (peer.client->setMute ("endpoint", true, GUID_NULL), AUDCLNT_E_SERVICE_NOT_RUNNING);
    EXPECT_EQ (peer.client->mixerGetNumDevs(), 0u);
}

TEST (AudioBusClient, AnOverlongLineEndsTheConnection)
{
    ScriptedPeer peer;
    std::thread script ([&] {
        LineReader lines (peer.fds[1]);
        peer.nextRequest (lines);
        peer.raw ("{\"r\": 1, \"hr\": 0, \"pad\": \"" + std::string (maxLineBytes, 'x') + "\"}\n");
    });
    juce::StringArray ids;
    EXPECT_EQ (peer.client->enumAudioEndpoints (eRender, DEVICE_STATE_ACTIVE, ids), AUDCLNT_E_SERVICE_NOT_RUNNING);
    EXPECT_TRUE (ids.isEmpty());
    script.join();
}

} // namespace
} // namespace arx::platform
