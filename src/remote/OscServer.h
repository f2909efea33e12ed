#pragma once

#include "console/MixSnapshot.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>
#include <juce_osc/juce_osc.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace arx
{

class ConsoleContent;
class MixPlaceEditor;
struct OscAddress;

// The application's one OSC endpoint, for all its devices (the address space is OscAddress's).
// Off until switched on; on, it listens on the loopback address only, or on every interface
// when other computers are allowed. A message with a value sets a place through the window's
// edit path; one without asks, and the answer goes to the sender. Subscribers get every change
// of the devices they named, at most 30 times a second per place, until they stop renewing;
// those that asked for meters also get the meters of each status poll of those devices (one
// message per device and group, sent from the message thread: a poll's few datagrams cost
// less than its repaint). Nobody asking costs one look at the subscribers per poll.
//
// A device is reachable while its window is open: a device whose window is closed (or closing,
// its session on its way to the flash) is answered with nothing and a logged diagnostic, and
// reachable again, subscriptions included, once its window opens.
//
// Bad input (a malformed packet, an unknown address, device or channel, a wrong type, NaN) is
// ignored and logged once per address.
//
// Threads: message thread, except the socket's reader, a thread of its own that only decodes
// datagrams and hands the messages to the message thread.
class OscServer : public juce::ChangeBroadcaster, private juce::Timer
{
public:
    static constexpr int defaultPort = 7400;
    static constexpr int notifyIntervalMs = 34; // at most 30 per second per place
    static constexpr int subscriptionMs = 60000;
    static constexpr int maxSubscribers = 64;

    struct Settings
    {
        bool enabled = false;
        int port = defaultPort;
        bool allowOthers = false;

        bool operator== (const Settings& o) const noexcept { return enabled == o.enabled && port == o.port && allowOthers == o.allowOthers; }

        static Settings fromPreferences (const juce::PropertiesFile& preferences);
        void save (juce::PropertiesFile& preferences) const;
        // "--osc PORT" switches it on for one run, "--osc-allow-others" lets other computers in;
        // false when the command line does not name the endpoint.
        static bool fromCommandLine (const juce::String& commandLine, Settings& settings);
    };

    // What the application offers the endpoint.
    class Devices
    {
    public:
        virtual ~Devices() = default;
        // The unique names of the devices, in device-list order.
        virtual juce::StringArray deviceNames() = 0;
        // The content of the device's open window; null while it has none.
        virtual ConsoleContent* windowOf (const juce::String& uniqueName) = 0;
    };

    explicit OscServer (Devices& devices);
    ~OscServer() override;

    // Listens as `settings` say. False when it cannot (the port is taken); getStatus says why.
    bool apply (const Settings& settings);
    const Settings& getSettings() const noexcept { return settings; }
    bool isListening() const noexcept { return reader != nullptr; }
    int getBoundPort() const noexcept;
    // What the settings page shows: off, where it listens, or why it cannot.
    juce::String getStatus() const { return status; }

    // The settings page's changes go here (the application keeps them in its preferences).
    std::function<void (const Settings&)> onUserChange;

    // A window opened or is about to go.
    void windowOpened (ConsoleContent& content, const juce::String& uniqueName);
    void windowClosing (ConsoleContent& content);

    // The messages of one datagram from `ip`:`port`.
    void handleMessages (const std::vector<juce::OSCMessage>& messages, const juce::String& ip, int port);
    // A datagram that did not decode.
    void packetRefused (const juce::String& problem, const juce::String& ip);

    int subscriberCount() const noexcept { return (int) subscribers.size(); }

    // The application's endpoint, for the settings page; null when there is none.
    static OscServer* application() noexcept;
    static void setApplication (OscServer* server) noexcept;

private:
    class Reader;
    class WindowLink;

    struct Subscriber
    {
        juce::String ip;
        int port = 0;
        juce::StringArray devices; // as the subscriber named them; empty: all
        bool meters = false;
        juce::uint32 expiresMs = 0;
    };

    void handle (const juce::OSCMessage& message, const juce::String& ip, int port);
    void handleSnapshot (const OscAddress&, const juce::OSCMessage&, ConsoleContent&, const juce::String& ip, int port);
    void subscribe (const juce::OSCMessage& message, const juce::String& ip, bool meters);
    void unsubscribe (const juce::OSCMessage& message, const juce::String& ip, int port);
    // The device's unique name for {dev} (a unique name or a 1-based position); empty if none.
    juce::String resolve (const juce::String& dev) const;
    // {dev} as `subscriber` names the device at list place `position`; empty when it did not ask for it.
    static juce::String deviceAs (const Subscriber& subscriber, const juce::String& uniqueName, const juce::String& position);
    // A message to `address`, or null (logged) when the address is no OSC address.
    std::unique_ptr<juce::OSCMessage> messageTo (const juce::String& address);
    void send (const juce::OSCMessage& message, const juce::String& ip, int port);
    void sendValue (const juce::String& address, const MixChange& place, const MixPlaceEditor& editor,
                    const juce::String& ip, int port);
    void diagnose (const juce::String& key, const juce::String& text);
    void timerCallback() override;
    void notify (WindowLink& link);
    void sendMeters (WindowLink& link);
    void stop();

    Devices& devices;
    Settings settings;
    juce::String status { "Off" };
    std::unique_ptr<juce::DatagramSocket> socket;
    std::unique_ptr<Reader> reader;
    std::vector<std::unique_ptr<WindowLink>> links;
    std::vector<Subscriber> subscribers;
    std::set<juce::String> diagnosed;

    JUCE_DECLARE_WEAK_REFERENCEABLE (OscServer)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OscServer)
};

} // namespace arx
