// The settings page's remote control group: a port typed into its box moves the endpoint, a
// number that is no port changes nothing, and the box keeps no text editor while nobody types.

#include "remote/OscServer.h"
#include "remote/RemoteControlGroup.h"
#include "window_test_support.h"

namespace arx
{
namespace
{

class NoDevices : public OscServer::Devices
{
public:
    juce::StringArray deviceNames() override { return {}; }
    ConsoleContent* windowOf (const juce::String&) override { return nullptr; }
};

int freeUdpPort()
{
    juce::DatagramSocket probe;
    probe.bindToPort (0, "127.0.0.1");
    return probe.getBoundPort();
}

TEST (RemoteControlGroupPort, ATypedPortMovesTheEndpointAndANumberThatIsNoPortChangesNothing)
{
    NoDevices devices;
    OscServer server (devices);
    std::vector<int> kept;
    server.onUserChange = [&] (const OscServer::Settings& s) { kept.push_back (s.port); };
    RemoteControlGroup group (server);
    auto& field = group.getPortField();
    EXPECT_EQ (field.getCurrentTextEditor(), nullptr) << "an idle box holds no text editor";

    auto settings = server.getSettings();
    settings.enabled = true;
    settings.port = freeUdpPort();
    ASSERT_TRUE (server.apply (settings)) << server.getStatus();

    const int moved = freeUdpPort();
    test::typeInto (field, juce::String (moved));
    EXPECT_EQ (server.getBoundPort(), moved);
    ASSERT_EQ (kept, std::vector<int> { moved }) << "the choice reaches the preferences";
    EXPECT_EQ (field.getCurrentTextEditor(), nullptr);

    test::typeInto (field, "99999");
    EXPECT_EQ (server.getBoundPort(), moved);
    EXPECT_EQ (kept.size(), 1u);
    EXPECT_EQ (field.getText(), juce::String (moved)) << "the box shows the port in use again";
}

} // namespace
} // namespace arx
