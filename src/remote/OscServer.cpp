#include "remote/OscServer.h"

#include "console/SnapshotBank.h"

#include "mixer/ConsoleContent.h"
#include "mixer/EditPath.h"
#include "mixer/MixPlaceEditor.h"
#include "mixer/widgets/LevelMeter.h"
#include "remote/OscAddress.h"
#include "remote/OscPacket.h"
#include "remote/RemotePeer.h"

#include <algorithm>

namespace arx
{

namespace
{
OscServer* applicationServer = nullptr;

constexpr const char* enabledKey = "osc enabled";
constexpr const char* portKey = "osc port";
constexpr const char* allowOthersKey = "osc allow others";
constexpr size_t maxDiagnosed = 1000;

bool isValidPort (int port) noexcept
{
    return port > 0 && port < 65536;
}
} // namespace

//==============================================================================
// Reads datagrams with their sender, decodes them and hands the messages to the message thread.
class OscServer::Reader : public juce::Thread
{
public:
    Reader (OscServer& s, juce::DatagramSocket& sock) : juce::Thread ("OscReader"), server (&s), socket (sock) {}
    ~Reader() override { stopThread (2000); }

    void run() override
    {
        juce::HeapBlock<char> buffer (maxPacket);
        while (! threadShouldExit())
        {
            if (socket.waitUntilReady (true, 100) != 1)
                continue;
            juce::String ip;
            int port = 0;
            const int n = socket.read (buffer, maxPacket, false, ip, port);
            if (n <= 0)
                continue;

            std::vector<juce::OSCMessage> messages;
            juce::String problem;
            const bool good = OscPacket::decode (buffer, (size_t) n, messages, problem);
            juce::MessageManager::callAsync ([s = server, messages = std::move (messages), problem, ip, port, good] {
                if (auto* target = s.get())
                {
                    if (good)
                        target->handleMessages (messages, ip, port);
                    else
                        target->packetRefused (problem, ip);
                }
            });
        }
    }

private:
    static constexpr int maxPacket = 65536;
    juce::WeakReference<OscServer> server; // read on the message thread only
    juce::DatagramSocket& socket;
};

//==============================================================================
// A window's changes, gathered between two notifications, and its status polls.
class OscServer::WindowLink : public EditPath::Listener, private ConsoleContent::PollListener
{
public:
    WindowLink (OscServer& o, ConsoleContent& c, const juce::String& name)
        : server (o), content (c), uniqueName (name), subscribers (o.subscribers)
    {
        if (auto* path = content.getEditPath())
            path->addListener (this);
        content.addPollListener (this);
    }

    ~WindowLink() override
    {
        content.removePollListener (this);
        if (auto* path = content.getEditPath())
            path->removeListener (this);
    }

    void statusPolled() override { server.sendMeters (*this); }

    void mixChanged (const std::vector<MixChange>& changes, bool) override
    {
        if (subscribers.empty())
            return;
        for (const auto& c : changes)
            if (OscAddress::valueTypeOf (c.kind) != OscAddress::none
                && std::find (dirty.begin(), dirty.end(), c) == dirty.end())
                dirty.push_back (c);
    }

    OscServer& server;
    ConsoleContent& content;
    const juce::String uniqueName;
    const std::vector<Subscriber>& subscribers;
    std::vector<MixChange> dirty;
};

//==============================================================================
OscServer::Settings OscServer::Settings::fromPreferences (const juce::PropertiesFile& preferences)
{
    Settings s;
    s.enabled = preferences.getBoolValue (enabledKey, false);
    s.port = preferences.getIntValue (portKey, defaultPort);
    if (! isValidPort (s.port))
        s.port = defaultPort;
    s.allowOthers = preferences.getBoolValue (allowOthersKey, false);
    return s;
}

void OscServer::Settings::save (juce::PropertiesFile& preferences) const
{
    preferences.setValue (enabledKey, enabled);
    preferences.setValue (portKey, port);
    preferences.setValue (allowOthersKey, allowOthers);
}

bool OscServer::Settings::fromCommandLine (const juce::String& commandLine, Settings& out)
{
    const auto args = juce::StringArray::fromTokens (commandLine, true);
    const int at = args.indexOf ("--osc");
    if (at < 0)
        return false;
    const auto portText = args[at + 1].unquoted();
    if (! portText.containsOnly ("0123456789") || ! isValidPort (portText.getIntValue()))
    {
        juce::Logger::writeToLog ("Console - --osc wants a UDP port, got \"" + portText + "\": remote control stays as set");
        return false;
    }
    out.enabled = true;
    out.port = portText.getIntValue();
    out.allowOthers = args.contains ("--osc-allow-others");
    return true;
}

//==============================================================================
OscServer::OscServer (Devices& d) : devices (d) {}

OscServer::~OscServer()
{
    if (applicationServer == this)
        applicationServer = nullptr;
    stop();
    links.clear();
}

OscServer* OscServer::application() noexcept { return applicationServer; }
void OscServer::setApplication (OscServer* server) noexcept { applicationServer = server; }

int OscServer::getBoundPort() const noexcept
{
    return socket != nullptr ? socket->getBoundPort() : -1;
}

void OscServer::stop()
{
    reader.reset();
    if (socket != nullptr)
        socket->shutdown();
    socket.reset();
    subscribers.clear();
    stopTimer();
}

bool OscServer::apply (const Settings& wanted)
{
    if (wanted == settings && (isListening() || ! wanted.enabled))
        return true;
    stop();
    settings = wanted;
    bool ok = true;
    if (! settings.enabled)
    {
        status = "Off";
    }
    else
    {
        socket = std::make_unique<juce::DatagramSocket> (false);
        if (! socket->bindToPort (settings.port, settings.allowOthers ? juce::String() : juce::String ("127.0.0.1")))
        {
            socket.reset();
            status = "UDP port " + juce::String (settings.port) + " cannot be used";
            ok = false;
        }
        else
        {
            status = settings.allowOthers ? "Listening on all interfaces, port " + juce::String (settings.port)
                                          : "Listening on this computer only (127.0.0.1), port " + juce::String (settings.port);
            reader = std::make_unique<Reader> (*this, *socket);
            reader->startThread();
        }
    }
    juce::Logger::writeToLog ("Console - remote control: " + status);
    sendChangeMessage();
    return ok;
}

//==============================================================================
void OscServer::windowOpened (ConsoleContent& content, const juce::String& uniqueName)
{
    windowClosing (content);
    links.push_back (std::make_unique<WindowLink> (*this, content, uniqueName));
}

void OscServer::windowClosing (ConsoleContent& content)
{
    links.erase (std::remove_if (links.begin(), links.end(), [&] (const auto& l) { return &l->content == &content; }),
                 links.end());
}

juce::String OscServer::resolve (const juce::String& dev) const
{
    const auto names = devices.deviceNames();
    if (dev.containsOnly ("0123456789") && dev.length() <= 3)
    {
        const int index = dev.getIntValue() - 1;
        return juce::isPositiveAndBelow (index, names.size()) ? names[index] : juce::String();
    }
    return names.contains (dev) ? dev : juce::String();
}

void OscServer::diagnose (const juce::String& key, const juce::String& text)
{
    if (diagnosed.size() >= maxDiagnosed || ! diagnosed.insert (key).second)
        return;
    juce::Logger::writeToLog ("Console - OSC " + key + ": " + text + " (ignored; said once)");
}

void OscServer::packetRefused (const juce::String& problem, const juce::String& ip)
{
    diagnose ("packet from " + ip, problem);
}

void OscServer::send (const juce::OSCMessage& message, const juce::String& ip, int port)
{
    if (socket == nullptr)
        return;
    const auto block = OscPacket::encode (message);
    socket->write (ip, port, block.getData(), (int) block.getSize());
}

std::unique_ptr<juce::OSCMessage> OscServer::messageTo (const juce::String& address)
{
    // JUCE's pattern class throws at characters OSC does not allow (a subscriber's device name).
    try
    {
        return std::make_unique<juce::OSCMessage> (juce::OSCAddressPattern (address));
    }
    catch (const juce::OSCFormatError&)
    {
        diagnose (address, "is no OSC address");
        return nullptr;
    }
}

void OscServer::sendValue (const juce::String& address, const MixChange& place, const MixPlaceEditor& editor,
                           const juce::String& ip, int port)
{
    auto m = messageTo (address);
    if (m == nullptr)
        return;
    const auto value = editor.valueOf (place);
    switch (OscAddress::valueTypeOf (place.kind))
    {
        case OscAddress::level: case OscAddress::pan: m->addFloat32 ((float) (double) value); break;
        case OscAddress::flag: m->addInt32 ((int) value); break;
        case OscAddress::name: m->addString (value.toString()); break;
        case OscAddress::none: default: return;
    }
    send (*m, ip, port);
}

void OscServer::handleMessages (const std::vector<juce::OSCMessage>& messages, const juce::String& ip, int port)
{
    // The loopback binding keeps other computers out; this holds when a socket was bound
    // wider than the settings say.
    if (! settings.allowOthers && ! RemotePeer::isLoopback (ip))
    {
        diagnose ("client " + ip, "other computers are not allowed");
        return;
    }
    for (const auto& m : messages)
        handle (m, ip, port);
}

void OscServer::handleSnapshot (const OscAddress& address, const juce::OSCMessage& message, ConsoleContent& content,
                                const juce::String& ip, int port)
{
    const auto text = message.getAddressPattern().toString();
    const int slot = address.snapshot;
    if (address.kind == OscAddress::snapshotName)
    {
        auto* bank = content.getSnapshots();
        if (message.isEmpty() && bank != nullptr)
        {
            juce::OSCMessage reply (text);
            reply.addString (bank->name (slot));
            send (reply, ip, port);
        }
        else if (message.size() != 1 || ! message[0].isString() || ! content.renameSnapshot (slot, message[0].getString()))
            diagnose (text, "wants one string naming a stored slot");
        return;
    }
    if (! message.isEmpty())
    {
        diagnose (text, "takes no argument");
        return;
    }
    const bool done = address.kind == OscAddress::snapshotRecall ? content.recallSnapshot (slot) : content.storeSnapshot (slot);
    if (! done)
        diagnose (text, address.kind == OscAddress::snapshotRecall ? "the slot is empty" : "the slot could not be stored");
}

void OscServer::handle (const juce::OSCMessage& message, const juce::String& ip, int port)
{
    const auto text = message.getAddressPattern().toString();
    const auto address = OscAddress::parse (text);
    switch (address.kind)
    {
        case OscAddress::invalid:
            diagnose (text, "no such address");
            return;
        case OscAddress::devices:
        {
            juce::OSCMessage reply ("/arx/devices");
            for (const auto& name : devices.deviceNames())
                reply.addString (name);
            send (reply, ip, port);
            return;
        }
        case OscAddress::subscribe:
        case OscAddress::subscribeMeters:
            subscribe (message, ip, address.kind == OscAddress::subscribeMeters);
            return;
        case OscAddress::unsubscribe:
            unsubscribe (message, ip, port);
            return;
        case OscAddress::undo:
        case OscAddress::redo:
        case OscAddress::control:
        case OscAddress::snapshotRecall:
        case OscAddress::snapshotStore:
        case OscAddress::snapshotName:
            break;
    }

    const auto name = resolve (address.device);
    auto* content = name.isNotEmpty() ? devices.windowOf (name) : nullptr;
    if (content == nullptr || content->getEditPath() == nullptr || content->getPlaceEditor() == nullptr)
    {
        diagnose (text, name.isEmpty() ? "no such device" : "the device's window is not open");
        return;
    }

    if (address.kind == OscAddress::undo || address.kind == OscAddress::redo)
    {
        address.kind == OscAddress::undo ? content->getEditPath()->undo() : content->getEditPath()->redo();
        return;
    }
    if (address.snapshot >= 0)
    {
        handleSnapshot (address, message, *content, ip, port);
        return;
    }

    auto& editor = *content->getPlaceEditor();
    if (! address.fits (editor.inputCount(), editor.outputCount(), editor.playbackCount()))
    {
        diagnose (text, "no such channel on " + name);
        return;
    }

    if (message.isEmpty())
    {
        sendValue (text, address.place, editor, ip, port);
        return;
    }

    juce::String problem;
    if (message.size() != 1 || ! address.checkValue (message[0], problem))
    {
        diagnose (text, message.size() != 1 ? "wants one argument" : problem);
        return;
    }
    const auto& arg = message[0];
    const juce::var value = arg.isFloat32() ? juce::var ((double) arg.getFloat32())
                          : arg.isInt32() ? (address.valueType() == OscAddress::flag ? juce::var (arg.getInt32()) : juce::var ((double) arg.getInt32()))
                                          : juce::var (arg.getString());
    if (! editor.set (address.place, value))
        diagnose (text, "no control for it in the window");
}

void OscServer::subscribe (const juce::OSCMessage& message, const juce::String& ip, bool meters)
{
    const auto text = message.getAddressPattern().toString();
    if (message.isEmpty() || ! message[0].isInt32() || ! isValidPort (message[0].getInt32()))
    {
        diagnose (text, "wants an int port, then device names");
        return;
    }
    Subscriber s;
    s.ip = ip;
    s.port = message[0].getInt32();
    s.meters = meters;
    for (int i = 1; i < message.size(); ++i)
    {
        if (! message[i].isString())
        {
            diagnose (text, "device names are strings");
            return;
        }
        s.devices.add (message[i].getString());
    }
    s.expiresMs = juce::Time::getMillisecondCounter() + (juce::uint32) subscriptionMs;

    auto same = std::find_if (subscribers.begin(), subscribers.end(), [&] (const Subscriber& o) { return o.ip == ip && o.port == s.port; });
    if (same != subscribers.end())
        *same = s;
    else if ((int) subscribers.size() < maxSubscribers)
        subscribers.push_back (s);
    else
        diagnose ("/arx/subscribe", "too many subscribers");
    if (! isTimerRunning())
        startTimer (notifyIntervalMs);
}

void OscServer::unsubscribe (const juce::OSCMessage& message, const juce::String& ip, int port)
{
    const int which = (! message.isEmpty() && message[0].isInt32()) ? message[0].getInt32() : port;
    subscribers.erase (std::remove_if (subscribers.begin(), subscribers.end(),
                                       [&] (const Subscriber& s) { return s.ip == ip && s.port == which; }),
                       subscribers.end());
}

void OscServer::timerCallback()
{
    const auto now = juce::Time::getMillisecondCounter();
    subscribers.erase (std::remove_if (subscribers.begin(), subscribers.end(),
                                       [now] (const Subscriber& s) { return (int) (s.expiresMs - now) <= 0; }),
                       subscribers.end());
    for (auto& link : links)
        notify (*link);
    if (subscribers.empty())
        stopTimer();
}

void OscServer::notify (WindowLink& link)
{
    if (link.dirty.empty())
        return;
    const auto changes = std::move (link.dirty);
    link.dirty.clear();
    auto* editor = link.content.getPlaceEditor();
    if (editor == nullptr)
        return;

    const auto position = juce::String (devices.deviceNames().indexOf (link.uniqueName) + 1);
    for (const auto& s : subscribers)
    {
        const auto dev = deviceAs (s, link.uniqueName, position);
        if (dev.isEmpty())
            continue;

        for (const auto& place : changes)
            sendValue (OscAddress::of (place, dev), place, *editor, s.ip, s.port);
    }
}

juce::String OscServer::deviceAs (const Subscriber& s, const juce::String& uniqueName, const juce::String& position)
{
    if (s.devices.isEmpty())
        return position;
    juce::String dev;
    for (const auto& named : s.devices)
        if (named == uniqueName || named == position)
            dev = named;
    return dev;
}

void OscServer::sendMeters (WindowLink& link)
{
    if (std::none_of (subscribers.begin(), subscribers.end(), [] (const Subscriber& s) { return s.meters; }))
        return;

    // The poll's values in dB, as the window's meters show them.
    auto& device = link.content.getDevice();
    const auto dBs = [] (int count, auto meter) {
        std::vector<float> values;
        for (int i = 0; i < count; ++i)
            values.push_back ((float) LevelMeter::levelToDb (meter (i)));
        return values;
    };
    const auto inputs = dBs (device.inputMeterCount(), [&device] (int i) { return device.inputMeter (i); });
    const auto outputs = dBs (device.outputMeterCount(), [&device] (int i) { return device.outputMeter (i); });

    const auto position = juce::String (devices.deviceNames().indexOf (link.uniqueName) + 1);
    for (const auto& s : subscribers)
    {
        const auto dev = s.meters ? deviceAs (s, link.uniqueName, position) : juce::String();
        if (dev.isEmpty())
            continue;
        for (const bool in : { true, false })
            if (auto m = messageTo (OscAddress::metersOf (dev, in)))
            {
                for (const float dB : in ? inputs : outputs)
                    m->addFloat32 (dB);
                send (*m, s.ip, s.port);
            }
    }
}

} // namespace arx
