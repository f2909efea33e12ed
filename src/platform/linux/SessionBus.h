#pragma once

// A private connection to the user's session bus (libdbus), served on the message thread: its
// socket goes through the event loop's fd callbacks, its time-outs are JUCE timers, and its
// messages are dispatched from there. No thread of its own.
//
// libdbus rather than sd-bus: it is the bus's reference library, present wherever a session
// bus is (also on systems without systemd), and its watch and time-out hooks are made for a
// foreign main loop like JUCE's.
//
// Threads: message thread only.

#include <juce_events/juce_events.h>

#include <dbus/dbus.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace arx::platform::desktop
{

class SessionBus : private juce::AsyncUpdater
{
public:
    // Connects when the session has a bus ($DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus);
    // never starts one.
    SessionBus();
    ~SessionBus() override;

    bool isConnected() const noexcept { return connection != nullptr; }
    DBusConnection* get() const noexcept { return connection; }

    // Called for every signal that reaches the connection, and once with nullptr when the bus
    // goes away.
    std::function<void (DBusMessage*)> onSignal;

private:
    struct Timeout;
    static dbus_bool_t addWatch (DBusWatch*, void* self);
    static void removeWatch (DBusWatch*, void* self);
    static void toggleWatch (DBusWatch*, void* self);
    static dbus_bool_t addTimeout (DBusTimeout*, void* self);
    static void removeTimeout (DBusTimeout*, void* self);
    static void toggleTimeout (DBusTimeout*, void* self);
    static void dispatchStatusChanged (DBusConnection*, DBusDispatchStatus, void* self);
    static DBusHandlerResult filter (DBusConnection*, DBusMessage*, void* self);

    // (Re)registers the fd with the events its enabled watches want.
    void watchFd (int fd);
    void handleFd (int fd);
    void handleAsyncUpdate() override;
    void disconnect();

    DBusConnection* connection = nullptr;
    std::multimap<int, DBusWatch*> watches;
    std::map<int, short> registered;

    JUCE_DECLARE_WEAK_REFERENCEABLE (SessionBus)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SessionBus)
};

} // namespace arx::platform::desktop
