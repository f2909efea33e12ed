#include "remote/WebRemote.h"

#include "app/ConsoleApp.h"
#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "device/DeviceList.h"
#include "mixer/ConsoleContent.h"
#include "mixer/ConsoleWindow.h"
#include "mixer/widgets/LevelMeter.h"

#include <ArxWebData.h>

#include <cmath>

namespace arx
{

namespace
{
WebRemote* running = nullptr;

constexpr const char* onKey = "web remote";
constexpr const char* portKey = "web remote port";
constexpr const char* othersKey = "web remote allows other computers";

juce::var rounded (double dB)
{
    return std::round (dB * 10.0) / 10.0;
}

std::map<juce::String, WebServer::File> builtInFiles()
{
    return {
        { "/index.html", { ArxWeb::index_html, ArxWeb::index_htmlSize, "text/html; charset=utf-8" } },
        { "/remote.js", { ArxWeb::remote_js, ArxWeb::remote_jsSize, "text/javascript; charset=utf-8" } },
        { "/remote.css", { ArxWeb::remote_css, ArxWeb::remote_cssSize, "text/css; charset=utf-8" } },
    };
}

juce::var object (std::initializer_list<std::pair<const char*, juce::var>> fields)
{
    auto* o = new juce::DynamicObject();
    for (const auto& [name, value] : fields)
        o->setProperty (name, value);
    return juce::var (o);
}
} // namespace

struct WebRemote::Page
{
    juce::String device;
    bool meters = false;
    int gestures = 0;
};

// Follows one window's edit path and status poll for the pages that show its device. The
// window's content may go first: the safe pointer says so, and nothing is removed from it then.
class WebRemote::DeviceWatch : public EditPath::Listener, private ConsoleContent::PollListener
{
public:
    DeviceWatch (WebRemote& r, ConsoleWindow& window) : remote (r), name (window.getDevice()->uniqueName()),
                                                        content (&window.getContent())
    {
        if (auto* path = content->getEditPath())
            path->addListener (this);
        content->addPollListener (this);
    }

    ~DeviceWatch() override
    {
        if (content != nullptr)
        {
            if (auto* path = content->getEditPath())
                path->removeListener (this);
            content->removePollListener (this);
        }
    }

    void mixChanged (const std::vector<MixChange>& changes, bool) override { remote.mixChanged (*this, changes); }
    void statusPolled() override { remote.polled (*this); }
    bool isFor (ConsoleWindow& window) const { return content == &window.getContent(); }

    WebRemote& remote;
    const juce::String name;
    juce::Component::SafePointer<ConsoleContent> content;
};

//==============================================================================
WebRemote::WebRemote (ConsoleApp& application, const juce::File& folder, int port)
    : app (application), preferencesFolder (folder), commandLinePort (port)
{
    running = this;
    // The application's preferences file is shared: opened afresh for each change, so that no
    // holder writes back another's old values.
    const auto file = openApplicationPreferences (preferencesFolder);
    prefs.on = file->getBoolValue (onKey, false);
    prefs.port = file->getIntValue (portKey, defaultPort);
    prefs.allowOthers = file->getBoolValue (othersKey, false);
    restart();
}

WebRemote::~WebRemote()
{
    server.reset();
    watches.clear();
    if (running == this)
        running = nullptr;
}

WebRemote* WebRemote::current() noexcept
{
    return running;
}

int WebRemote::portFromCommandLine (const juce::String& commandLine)
{
    const auto words = juce::StringArray::fromTokens (commandLine, true);
    const int at = words.indexOf ("--web");
    if (at < 0)
        return 0;
    const auto text = words[at + 1];
    const int port = text.getIntValue();
    return text.containsOnly ("0123456789") && port > 0 && port < 65536 ? port : -1;
}

void WebRemote::setPreferences (const Preferences& p)
{
    prefs = p;
    const auto file = openApplicationPreferences (preferencesFolder);
    file->setValue (onKey, prefs.on);
    file->setValue (portKey, prefs.port);
    file->setValue (othersKey, prefs.allowOthers);
    file->saveIfNeeded();
    commandLinePort = 0; // the settings page decides from now on
    restart();
}

juce::String WebRemote::pairingCode() const
{
    return server != nullptr ? server->pairingCode() : juce::String();
}

void WebRemote::restart()
{
    server.reset();
    pages.clear();
    watches.clear();
    problem = {};

    const int port = commandLinePort > 0 ? commandLinePort : prefs.port;
    if (commandLinePort < 0)
        problem = "--web needs a port number";
    else if (commandLinePort > 0 || prefs.on)
    {
        WebServer::Options options;
        options.port = port;
        options.allowOthers = prefs.allowOthers;
        options.files = builtInFiles();
        server = std::make_unique<WebServer> (std::move (options), static_cast<WebServer::Events&> (*this));
        if (! server->start (problem))
            server.reset();
    }

    if (problem.isNotEmpty())
        juce::Logger::writeToLog ("Web remote - " + problem);
    else if (server != nullptr)
        juce::Logger::writeToLog ("Web remote - listening on port " + juce::String (port)
                                  + (prefs.allowOthers ? " (other computers allowed)" : " (this computer only)"));
    changes.sendChangeMessage();
}

//==============================================================================
void WebRemote::opened (int connection)
{
    juce::MessageManager::callAsync ([self = juce::WeakReference<WebRemote> (this), connection] {
        if (self != nullptr)
            self->pages[connection] = {};
    });
}

void WebRemote::received (int connection, std::string text)
{
    juce::MessageManager::callAsync ([self = juce::WeakReference<WebRemote> (this), connection, t = std::move (text)] {
        if (self != nullptr && self->pages.count (connection) > 0)
            self->handle (connection, t);
    });
}

void WebRemote::closed (int connection)
{
    juce::MessageManager::callAsync ([self = juce::WeakReference<WebRemote> (this), connection] {
        if (self != nullptr)
            self->pageClosed (connection);
    });
}

void WebRemote::pageClosed (int connection)
{
    auto it = pages.find (connection);
    if (it == pages.end())
        return;
    // A drag cut off by a lost connection still ends its undo step.
    if (it->second.gestures > 0)
        if (auto* window = windowOf (it->second.device))
            for (; it->second.gestures > 0; --it->second.gestures)
                window->getContent().gestureEnded();
    pages.erase (it);
    dropUnusedWatches();
}

void WebRemote::send (int connection, const juce::var& message)
{
    if (server != nullptr)
        server->send (connection, juce::JSON::toString (message, true).toStdString());
}

void WebRemote::sendError (int connection, const juce::String& text)
{
    send (connection, object ({ { "t", "error" }, { "msg", text } }));
}

//==============================================================================
ConsoleWindow* WebRemote::windowOf (const juce::String& device) const
{
    auto* w = app.getFirstWindow();
    for (int i = 0; i < app.getWindowCount() && w != nullptr; ++i, w = w->next)
        if (w->getDevice() != nullptr && w->getDevice()->uniqueName() == device)
            return w->isVisible() && ! w->isClosing() ? w : nullptr;
    return nullptr;
}

void WebRemote::handle (int connection, const std::string& text)
{
    juce::String error;
    const auto request = RemoteRequest::parse (text.data(), text.size(), error);
    if (! request)
        return sendError (connection, "bad request: " + error);

    auto& page = pages[connection];
    using Type = RemoteRequest::Type;
    if (request->type == Type::list)
        return sendDeviceList (connection);
    if (request->type == Type::meters)
    {
        page.meters = request->on;
        return;
    }

    auto* window = windowOf (request->device);
    if (window == nullptr || window->getContent().getEditPath() == nullptr)
        return send (connection, object ({ { "t", "unavailable" }, { "dev", request->device } }));
    auto& content = window->getContent();

    switch (request->type)
    {
        case Type::open:
            page.device = request->device;
            watch (*window);
            sendMix (connection, *window);
            dropUnusedWatches();
            break;
        case Type::set:
            applySet (connection, *window, *request);
            break;
        case Type::begin:
            if (page.gestures < 8)
            {
                ++page.gestures;
                content.gestureStarted();
            }
            break;
        case Type::end:
            if (page.gestures > 0)
            {
                --page.gestures;
                content.gestureEnded();
            }
            break;
        case Type::undo: content.getEditPath()->undo(); break;
        case Type::redo: content.getEditPath()->redo(); break;
        case Type::list:
        case Type::meters: break;
    }
}

void WebRemote::sendDeviceList (int connection)
{
    juce::Array<juce::var> list;
    if (auto* devices = app.getDeviceList())
        for (int i = 0; i < devices->deviceCount(); ++i)
            if (auto device = devices->device (i); device != nullptr && device->isValid())
                list.add (object ({ { "dev", device->uniqueName() },
                                    { "model", device->info().modelName() },
                                    { "available", windowOf (device->uniqueName()) != nullptr } }));
    send (connection, object ({ { "t", "devices" }, { "list", list } }));
}

void WebRemote::sendMix (int connection, ConsoleWindow& window)
{
    const auto& s = window.getState();
    juce::Array<juce::var> inputs, playbacks, outputs;
    for (int in = 0; in < s.inputCount(); ++in)
    {
        juce::Array<juce::var> pairs;
        for (int out = 0; out + 1 < s.outputCount(); out += 2)
            pairs.add (juce::Array<juce::var> { rounded (s.monitorGain (in, out)), s.monitorPan (in, out),
                                                s.monitorMute (in, out), s.monitorSolo (in, out) });
        inputs.add (object ({ { "name", s.inputAlias (in) }, { "mix", pairs } }));
    }
    for (int c = 0; c < s.playbackCount(); ++c)
        playbacks.add (object ({ { "name", s.playbackAlias (c) }, { "level", rounded (s.playbackGain (c)) },
                                 { "mute", s.playbackMute (c) }, { "solo", s.playbackSolo (c) } }));
    for (int c = 0; c < s.outputCount(); ++c)
        outputs.add (object ({ { "name", s.outputAlias (c) }, { "level", rounded (s.outputGain (c)) },
                               { "mute", s.outputMute (c) } }));

    auto* path = window.getContent().getEditPath();
    send (connection, object ({ { "t", "mix" }, { "dev", window.getDevice()->uniqueName() },
                                { "inputs", inputs }, { "playbacks", playbacks }, { "outputs", outputs },
                                { "undo", path->canUndo() }, { "redo", path->canRedo() } }));
}

void WebRemote::applySet (int connection, ConsoleWindow& window, const RemoteRequest& r)
{
    if (! r.fits (window.getState()))
        return sendError (connection, "no such channel");
    window.getContent().editFromRemote ([&r] (ConsoleState& state) { r.applyTo (state); });
}

//==============================================================================
WebRemote::DeviceWatch& WebRemote::watch (ConsoleWindow& window)
{
    const auto name = window.getDevice()->uniqueName();
    auto& w = watches[name];
    if (w == nullptr || ! w->isFor (window)) // a window opened again for the device
    {
        w.reset();
        w = std::make_unique<DeviceWatch> (*this, window);
    }
    return *w;
}

void WebRemote::dropUnusedWatches()
{
    for (auto it = watches.begin(); it != watches.end();)
    {
        bool used = it->second->content != nullptr;
        if (used)
        {
            used = false;
            for (const auto& [id, page] : pages)
                used = used || page.device == it->first;
        }
        it = used ? std::next (it) : watches.erase (it);
    }
}

void WebRemote::mixChanged (DeviceWatch& w, const std::vector<MixChange>& changed)
{
    auto* window = windowOf (w.name);
    if (window == nullptr)
        return;
    const auto& s = window->getState();

    juce::Array<juce::var> values;
    bool whole = false;
    for (const auto& c : changed)
    {
        const auto add = [&] (const char* key, int a, int b, juce::var v) {
            values.add (juce::Array<juce::var> { key, a, b, v });
        };
        switch (c.kind)
        {
            case MixChange::monitorLevel: add ("ml", c.a, c.b, rounded (s.monitorGain (c.a, c.b))); break;
            case MixChange::monitorPan: add ("mp", c.a, c.b, s.monitorPan (c.a, c.b)); break;
            case MixChange::monitorMute: add ("mm", c.a, c.b, s.monitorMute (c.a, c.b)); break;
            case MixChange::monitorSolo: add ("ms", c.a, c.b, s.monitorSolo (c.a, c.b)); break;
            case MixChange::playbackLevel: add ("pl", c.a, 0, rounded (s.playbackGain (c.a))); break;
            case MixChange::playbackMute: add ("pm", c.a, 0, s.playbackMute (c.a)); break;
            case MixChange::playbackSolo: add ("ps", c.a, 0, s.playbackSolo (c.a)); break;
            case MixChange::outputLevel: add ("ol", c.a, 0, rounded (s.outputGain (c.a))); break;
            case MixChange::outputMute: add ("om", c.a, 0, s.outputMute (c.a)); break;
            case MixChange::playbackName:
            case MixChange::outputName:
            case MixChange::inputName:
            case MixChange::gangs: whole = true; break;
            case MixChange::setting: break;
        }
    }

    auto* path = window->getContent().getEditPath();
    const auto message = object ({ { "t", "ch" }, { "dev", w.name }, { "c", values },
                                   { "undo", path->canUndo() }, { "redo", path->canRedo() } });
    for (const auto& [id, page] : pages)
        if (page.device == w.name)
            whole ? sendMix (id, *window) : send (id, message);
}

void WebRemote::polled (DeviceWatch& w)
{
    auto* window = windowOf (w.name);
    if (window == nullptr)
        return;

    juce::var message;
    for (const auto& [id, page] : pages)
    {
        if (page.device != w.name || ! page.meters)
            continue;
        if (message.isVoid())
        {
            auto& device = *window->getDevice();
            juce::Array<juce::var> in, out;
            for (int i = 0; i < device.inputMeterCount(); ++i)
                in.add (LevelMeter::levelToDb (device.inputMeter (i)));
            for (int i = 0; i < device.outputMeterCount(); ++i)
                out.add (LevelMeter::levelToDb (device.outputMeter (i)));
            message = object ({ { "t", "meters" }, { "dev", w.name }, { "in", in }, { "out", out } });
        }
        send (id, message);
    }
}

} // namespace arx
