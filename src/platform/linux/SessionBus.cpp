#include "platform/linux/SessionBus.h"

#include <poll.h>

namespace arx::platform::desktop
{

struct SessionBus::Timeout : public juce::Timer
{
    explicit Timeout (DBusTimeout* t) : timeout (t) {}
    void timerCallback() override { dbus_timeout_handle (timeout); }
    void update()
    {
        if (dbus_timeout_get_enabled (timeout))
            startTimer (juce::jmax (1, dbus_timeout_get_interval (timeout)));
        else
            stopTimer();
    }
    DBusTimeout* timeout;
};

namespace
{
juce::String sessionBusAddress()
{
    const auto address = juce::SystemStats::getEnvironmentVariable ("DBUS_SESSION_BUS_ADDRESS", {});
    if (address.isNotEmpty())
        return address;
    const auto runtime = juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {});
    if (runtime.isNotEmpty() && juce::File (runtime).getChildFile ("bus").exists())
        return "unix:path=" + juce::File (runtime).getChildFile ("bus").getFullPathName();
    return {};
}
} // namespace

SessionBus::SessionBus()
{
    const auto address = sessionBusAddress();
    if (address.isEmpty())
        return;

    DBusError error;
    dbus_error_init (&error);
    auto* c = dbus_connection_open_private (address.toRawUTF8(), &error);
    if (c != nullptr && ! dbus_bus_register (c, &error))
    {
        dbus_connection_close (c);
        dbus_connection_unref (c);
        c = nullptr;
    }
    if (c == nullptr)
    {
        juce::Logger::writeToLog ("Console - session bus not reached: " + juce::String (error.message != nullptr ? error.message : "?"));
        dbus_error_free (&error);
        return;
    }
    connection = c;
    dbus_connection_set_exit_on_disconnect (connection, false);
    dbus_connection_set_watch_functions (connection, addWatch, removeWatch, toggleWatch, this, nullptr);
    dbus_connection_set_timeout_functions (connection, addTimeout, removeTimeout, toggleTimeout, this, nullptr);
    dbus_connection_set_dispatch_status_function (connection, dispatchStatusChanged, this, nullptr);
    dbus_connection_add_filter (connection, filter, this, nullptr);
    triggerAsyncUpdate();
}

SessionBus::~SessionBus()
{
    cancelPendingUpdate();
    disconnect();
}

void SessionBus::disconnect()
{
    if (connection == nullptr)
        return;
    auto* c = std::exchange (connection, nullptr);
    dbus_connection_remove_filter (c, filter, this);
    dbus_connection_close (c); // removes the watches and time-outs
    dbus_connection_set_watch_functions (c, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_set_timeout_functions (c, nullptr, nullptr, nullptr, nullptr, nullptr);
    dbus_connection_set_dispatch_status_function (c, nullptr, nullptr, nullptr);
    dbus_connection_unref (c);
    for (auto& [fd, events] : registered)
        juce::LinuxEventLoop::unregisterFdCallback (fd);
    registered.clear();
    watches.clear();
}

dbus_bool_t SessionBus::addWatch (DBusWatch* watch, void* self)
{
    auto& bus = *static_cast<SessionBus*> (self);
    const auto fd = dbus_watch_get_unix_fd (watch);
    bus.watches.emplace (fd, watch);
    bus.watchFd (fd);
    return true;
}

void SessionBus::removeWatch (DBusWatch* watch, void* self)
{
    auto& bus = *static_cast<SessionBus*> (self);
    const auto fd = dbus_watch_get_unix_fd (watch);
    for (auto it = bus.watches.begin(); it != bus.watches.end(); ++it)
    {
        if (it->second == watch)
        {
            bus.watches.erase (it);
            break;
        }
    }
    bus.watchFd (fd);
}

void SessionBus::toggleWatch (DBusWatch* watch, void* self)
{
    static_cast<SessionBus*> (self)->watchFd (dbus_watch_get_unix_fd (watch));
}

void SessionBus::watchFd (int fd)
{
    short events = 0;
    const auto range = watches.equal_range (fd);
    for (auto it = range.first; it != range.second; ++it)
    {
        if (! dbus_watch_get_enabled (it->second))
            continue;
        const auto flags = dbus_watch_get_flags (it->second);
        if ((flags & DBUS_WATCH_READABLE) != 0)
            events |= POLLIN;
        if ((flags & DBUS_WATCH_WRITABLE) != 0)
            events |= POLLOUT;
    }

    const auto current = registered.find (fd);
    if (current != registered.end() && current->second == events)
        return;
    if (current != registered.end())
    {
        juce::LinuxEventLoop::unregisterFdCallback (fd);
        registered.erase (current);
    }
    if (events != 0)
    {
        juce::LinuxEventLoop::registerFdCallback (fd, [this] (int readyFd) { handleFd (readyFd); }, events);
        registered[fd] = events;
    }
}

void SessionBus::handleFd (int fd)
{
    // The loop does not say which events came: each enabled watch tries its own, which does
    // not block.
    std::vector<DBusWatch*> ready;
    const auto range = watches.equal_range (fd);
    for (auto it = range.first; it != range.second; ++it)
        if (dbus_watch_get_enabled (it->second))
            ready.push_back (it->second);

    pollfd p { fd, registered.count (fd) != 0 ? registered[fd] : (short) 0, 0 };
    ::poll (&p, 1, 0);
    for (auto* watch : ready)
    {
        unsigned int flags = 0;
        const auto wanted = dbus_watch_get_flags (watch);
        if ((wanted & DBUS_WATCH_READABLE) != 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0)
            flags |= DBUS_WATCH_READABLE;
        if ((wanted & DBUS_WATCH_WRITABLE) != 0 && (p.revents & POLLOUT) != 0)
            flags |= DBUS_WATCH_WRITABLE;
        if ((p.revents & POLLHUP) != 0)
            flags |= DBUS_WATCH_HANGUP;
        if ((p.revents & POLLERR) != 0)
            flags |= DBUS_WATCH_ERROR;
        if (flags != 0)
            dbus_watch_handle (watch, flags);
        if (connection == nullptr)
            return;
    }
    handleAsyncUpdate();
}

dbus_bool_t SessionBus::addTimeout (DBusTimeout* timeout, void*)
{
    auto* t = new Timeout (timeout);
    dbus_timeout_set_data (timeout, t, [] (void* p) { delete static_cast<Timeout*> (p); });
    t->update();
    return true;
}

void SessionBus::removeTimeout (DBusTimeout* timeout, void*)
{
    if (auto* t = static_cast<Timeout*> (dbus_timeout_get_data (timeout)))
        t->stopTimer();
}

void SessionBus::toggleTimeout (DBusTimeout* timeout, void*)
{
    if (auto* t = static_cast<Timeout*> (dbus_timeout_get_data (timeout)))
        t->update();
}

void SessionBus::dispatchStatusChanged (DBusConnection*, DBusDispatchStatus status, void* self)
{
    // Called from inside libdbus: dispatch later, from the message loop.
    if (status == DBUS_DISPATCH_DATA_REMAINS)
        static_cast<SessionBus*> (self)->triggerAsyncUpdate();
}

void SessionBus::handleAsyncUpdate()
{
    while (connection != nullptr && dbus_connection_dispatch (connection) == DBUS_DISPATCH_DATA_REMAINS)
    {
    }
}

DBusHandlerResult SessionBus::filter (DBusConnection*, DBusMessage* message, void* self)
{
    auto& bus = *static_cast<SessionBus*> (self);
    if (dbus_message_is_signal (message, DBUS_INTERFACE_LOCAL, "Disconnected"))
    {
        juce::Logger::writeToLog ("Console - the session bus went away");
        // Not from inside libdbus's dispatch: the connection is closed once it has returned.
        juce::MessageManager::callAsync ([safe = juce::WeakReference<SessionBus> (&bus)] {
            if (auto* b = safe.get())
            {
                b->disconnect();
                if (b->onSignal)
                    b->onSignal (nullptr);
            }
        });
        return DBUS_HANDLER_RESULT_HANDLED;
    }
    if (dbus_message_get_type (message) == DBUS_MESSAGE_TYPE_SIGNAL && bus.onSignal)
        bus.onSignal (message);
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

} // namespace arx::platform::desktop
