#include "platform/linux/StatusNotifierItem.h"

#include <unistd.h>

namespace arx::platform::desktop
{
namespace
{
constexpr const char* itemPath = "/StatusNotifierItem";
constexpr const char* menuPath = "/MenuBar";
constexpr const char* itemInterface = "org.kde.StatusNotifierItem";
constexpr const char* menuInterface = "com.canonical.dbusmenu";
constexpr const char* watcherName = "org.kde.StatusNotifierWatcher";
constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";

constexpr const char* itemIntrospection = R"xml(<node>
 <interface name="org.kde.StatusNotifierItem">
  <property name="Category" type="s" access="read"/><property name="Id" type="s" access="read"/>
  <property name="Title" type="s" access="read"/><property name="Status" type="s" access="read"/>
  <property name="WindowId" type="i" access="read"/><property name="IconName" type="s" access="read"/>
  <property name="IconPixmap" type="a(iiay)" access="read"/><property name="OverlayIconName" type="s" access="read"/>
  <property name="AttentionIconName" type="s" access="read"/><property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
  <property name="ItemIsMenu" type="b" access="read"/><property name="Menu" type="o" access="read"/>
  <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
  <signal name="NewIcon"/><signal name="NewToolTip"/><signal name="NewTitle"/>
  <signal name="NewStatus"><arg name="status" type="s"/></signal>
 </interface>
</node>)xml";

constexpr const char* menuIntrospection = R"xml(<node>
 <interface name="com.canonical.dbusmenu">
  <property name="Version" type="u" access="read"/><property name="TextDirection" type="s" access="read"/>
  <property name="Status" type="s" access="read"/><property name="IconThemePath" type="as" access="read"/>
  <method name="GetLayout"><arg type="i" name="parentId" direction="in"/><arg type="i" name="recursionDepth" direction="in"/>
   <arg type="as" name="propertyNames" direction="in"/><arg type="u" name="revision" direction="out"/>
   <arg type="(ia{sv}av)" name="layout" direction="out"/></method>
  <method name="GetGroupProperties"><arg type="ai" name="ids" direction="in"/><arg type="as" name="propertyNames" direction="in"/>
   <arg type="a(ia{sv})" name="properties" direction="out"/></method>
  <method name="GetProperty"><arg type="i" name="id" direction="in"/><arg type="s" name="name" direction="in"/>
   <arg type="v" name="value" direction="out"/></method>
  <method name="Event"><arg type="i" name="id" direction="in"/><arg type="s" name="eventId" direction="in"/>
   <arg type="v" name="data" direction="in"/><arg type="u" name="timestamp" direction="in"/></method>
  <method name="EventGroup"><arg type="a(isvu)" name="events" direction="in"/><arg type="ai" name="idErrors" direction="out"/></method>
  <method name="AboutToShow"><arg type="i" name="id" direction="in"/><arg type="b" name="needUpdate" direction="out"/></method>
  <method name="AboutToShowGroup"><arg type="ai" name="ids" direction="in"/><arg type="ai" name="updatesNeeded" direction="out"/>
   <arg type="ai" name="idErrors" direction="out"/></method>
  <signal name="ItemsPropertiesUpdated"><arg type="a(ia{sv})" name="updatedProps"/><arg type="a(ias)" name="removedProps"/></signal>
  <signal name="LayoutUpdated"><arg type="u" name="revision"/><arg type="i" name="parent"/></signal>
 </interface>
</node>)xml";

void appendString (DBusMessageIter& into, int type, const juce::String& text)
{
    const auto utf8 = text.toStdString();
    const char* raw = utf8.c_str();
    dbus_message_iter_append_basic (&into, type, &raw);
}

template <typename Fill>
void appendVariant (DBusMessageIter& into, const char* signature, Fill fill)
{
    DBusMessageIter variant;
    dbus_message_iter_open_container (&into, DBUS_TYPE_VARIANT, signature, &variant);
    fill (variant);
    dbus_message_iter_close_container (&into, &variant);
}

template <typename Fill>
void appendDictEntry (DBusMessageIter& dict, const char* key, const char* signature, Fill fill)
{
    DBusMessageIter entry;
    dbus_message_iter_open_container (&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    appendString (entry, DBUS_TYPE_STRING, key);
    appendVariant (entry, signature, fill);
    dbus_message_iter_close_container (&dict, &entry);
}

void appendStringVariant (DBusMessageIter& into, const juce::String& text)
{
    appendVariant (into, "s", [&] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, text); });
}

// Menu labels mark their access key with "_": a plain one is doubled.
juce::String menuLabel (const juce::String& text)
{
    return text.replace ("_", "__");
}

juce::String stringArgument (DBusMessageIter& args)
{
    if (dbus_message_iter_get_arg_type (&args) != DBUS_TYPE_STRING)
        return {};
    const char* value = nullptr;
    dbus_message_iter_get_basic (&args, &value);
    dbus_message_iter_next (&args);
    return juce::String::fromUTF8 (value != nullptr ? value : "");
}

int intArgument (DBusMessageIter& args)
{
    if (dbus_message_iter_get_arg_type (&args) != DBUS_TYPE_INT32)
        return 0;
    dbus_int32_t value = 0;
    dbus_message_iter_get_basic (&args, &value);
    dbus_message_iter_next (&args);
    return value;
}
} // namespace

StatusNotifierItem::StatusNotifierItem (SessionBus& sessionBus, const juce::Image& iconImage, const juce::String& tip,
                                        TrayIcon::Client& c)
    : bus (sessionBus), image (iconImage), tooltip (tip), client (c)
{
    auto* connection = bus.get();
    if (connection == nullptr)
        return;
    serviceName = "org.kde.StatusNotifierItem-" + juce::String ((int) ::getpid()) + "-1";

    const DBusObjectPathVTable itemTable { nullptr, itemMessage, nullptr, nullptr, nullptr, nullptr };
    const DBusObjectPathVTable menuTable { nullptr, menuMessage, nullptr, nullptr, nullptr, nullptr };
    dbus_connection_register_object_path (connection, itemPath, &itemTable, this);
    dbus_connection_register_object_path (connection, menuPath, &menuTable, this);

    // Neither waits: the bus answers in order, before the watcher hears of the item.
    if (auto* request = dbus_message_new_method_call (DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "RequestName"))
    {
        const auto name = serviceName.toStdString();
        const char* raw = name.c_str();
        const dbus_uint32_t flags = DBUS_NAME_FLAG_DO_NOT_QUEUE;
        dbus_message_append_args (request, DBUS_TYPE_STRING, &raw, DBUS_TYPE_UINT32, &flags, DBUS_TYPE_INVALID);
        dbus_message_set_no_reply (request, true);
        dbus_connection_send (connection, request, nullptr);
        dbus_message_unref (request);
    }
    dbus_bus_add_match (connection,
                        "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                        "member='NameOwnerChanged',arg0='org.kde.StatusNotifierWatcher'",
                        nullptr);
    bus.onSignal = [this] (DBusMessage* signal) {
        if (signal == nullptr)
            setRegistered (false);
        else
            watcherChanged (signal);
    };
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    bus.onSignal = nullptr;
    if (auto* connection = bus.get())
    {
        dbus_connection_unregister_object_path (connection, itemPath);
        dbus_connection_unregister_object_path (connection, menuPath);
        dbus_connection_flush (connection);
    }
}

void StatusNotifierItem::registerWithWatcher()
{
    auto* connection = bus.get();
    if (connection == nullptr)
        return;
    auto* call = dbus_message_new_method_call (watcherName, "/StatusNotifierWatcher", watcherName, "RegisterStatusNotifierItem");
    if (call == nullptr)
        return;
    const auto name = serviceName.toStdString();
    const char* raw = name.c_str();
    dbus_message_append_args (call, DBUS_TYPE_STRING, &raw, DBUS_TYPE_INVALID);
    DBusPendingCall* pending = nullptr;
    if (dbus_connection_send_with_reply (connection, call, &pending, 5000) && pending != nullptr)
    {
        auto* self = new juce::WeakReference<StatusNotifierItem> (this);
        dbus_pending_call_set_notify (
            pending,
            [] (DBusPendingCall* p, void* data) {
                auto* answer = dbus_pending_call_steal_reply (p);
                auto* item = static_cast<juce::WeakReference<StatusNotifierItem>*> (data)->get();
                const bool taken = answer != nullptr && dbus_message_get_type (answer) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
                if (answer != nullptr)
                    dbus_message_unref (answer);
                if (item != nullptr)
                    item->setRegistered (taken);
            },
            self, [] (void* data) { delete static_cast<juce::WeakReference<StatusNotifierItem>*> (data); });
        dbus_pending_call_unref (pending);
    }
    else
    {
        setRegistered (false);
    }
    dbus_message_unref (call);
}

void StatusNotifierItem::watcherChanged (DBusMessage* signal)
{
    if (! dbus_message_is_signal (signal, DBUS_INTERFACE_DBUS, "NameOwnerChanged"))
        return;
    const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
    if (! dbus_message_get_args (signal, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner, DBUS_TYPE_STRING,
                                 &newOwner, DBUS_TYPE_INVALID)
        || juce::String (name) != watcherName)
        return;
    if (newOwner == nullptr || *newOwner == 0)
        setRegistered (false);
    else
        registerWithWatcher();
}

void StatusNotifierItem::setRegistered (bool now)
{
    // The first answer counts even when it changes nothing: it says where the icon goes.
    if (answered && registered == now)
        return;
    answered = true;
    registered = now;
    juce::Logger::writeToLog (now ? "Console - tray icon shown by the status notifier watcher"
                                  : "Console - no status notifier watcher for the tray icon");
    if (onShownChanged)
        onShownChanged();
}

DBusHandlerResult StatusNotifierItem::itemMessage (DBusConnection*, DBusMessage* message, void* self)
{
    return static_cast<StatusNotifierItem*> (self)->handleItem (message);
}

DBusHandlerResult StatusNotifierItem::menuMessage (DBusConnection*, DBusMessage* message, void* self)
{
    return static_cast<StatusNotifierItem*> (self)->handleMenu (message);
}

void StatusNotifierItem::reply (DBusMessage* to, const std::function<void (DBusMessageIter&)>& fill)
{
    auto* answer = dbus_message_new_method_return (to);
    if (answer == nullptr)
        return;
    DBusMessageIter args;
    dbus_message_iter_init_append (answer, &args);
    if (fill)
        fill (args);
    dbus_connection_send (bus.get(), answer, nullptr);
    dbus_message_unref (answer);
}

// a(iiay): the artwork at whole multiples of its size, ARGB32 in network byte order.
void StatusNotifierItem::appendIcon (DBusMessageIter& into)
{
    DBusMessageIter pixmaps;
    dbus_message_iter_open_container (&into, DBUS_TYPE_ARRAY, "(iiay)", &pixmaps);
    for (int scale = 1; image.isValid() && scale <= 3; ++scale)
    {
        const dbus_int32_t width = image.getWidth() * scale, height = image.getHeight() * scale;
        std::vector<unsigned char> bytes;
        bytes.reserve ((size_t) (width * height * 4));
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                const auto c = image.getPixelAt (x / scale, y / scale);
                bytes.insert (bytes.end(), { c.getAlpha(), c.getRed(), c.getGreen(), c.getBlue() });
            }
        }
        DBusMessageIter pixmap, data;
        dbus_message_iter_open_container (&pixmaps, DBUS_TYPE_STRUCT, nullptr, &pixmap);
        dbus_message_iter_append_basic (&pixmap, DBUS_TYPE_INT32, &width);
        dbus_message_iter_append_basic (&pixmap, DBUS_TYPE_INT32, &height);
        dbus_message_iter_open_container (&pixmap, DBUS_TYPE_ARRAY, "y", &data);
        const auto* raw = bytes.data();
        dbus_message_iter_append_fixed_array (&data, DBUS_TYPE_BYTE, &raw, (int) bytes.size());
        dbus_message_iter_close_container (&pixmap, &data);
        dbus_message_iter_close_container (&pixmaps, &pixmap);
    }
    dbus_message_iter_close_container (&into, &pixmaps);
}

// One property of the item as a variant; false for a name it does not have.
bool StatusNotifierItem::appendItemValue (DBusMessageIter& into, const juce::String& name)
{
    if (name == "Category")
        appendStringVariant (into, "Hardware");
    else if (name == "Id")
        appendStringVariant (into, "vantrel-arx-console");
    else if (name == "Title")
        appendStringVariant (into, tooltip);
    else if (name == "Status")
        appendStringVariant (into, "Active");
    else if (name == "IconName" || name == "OverlayIconName" || name == "AttentionIconName" || name == "IconThemePath")
        appendStringVariant (into, {});
    else if (name == "WindowId")
        appendVariant (into, "i", [] (DBusMessageIter& v) {
            const dbus_int32_t none = 0;
            dbus_message_iter_append_basic (&v, DBUS_TYPE_INT32, &none);
        });
    else if (name == "ItemIsMenu")
        appendVariant (into, "b", [] (DBusMessageIter& v) {
            const dbus_bool_t no = false;
            dbus_message_iter_append_basic (&v, DBUS_TYPE_BOOLEAN, &no);
        });
    else if (name == "Menu")
        appendVariant (into, "o", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_OBJECT_PATH, menuPath); });
    else if (name == "IconPixmap")
        appendVariant (into, "a(iiay)", [this] (DBusMessageIter& v) { appendIcon (v); });
    else if (name == "ToolTip")
        appendVariant (into, "(sa(iiay)ss)", [this] (DBusMessageIter& v) {
            DBusMessageIter tip;
            dbus_message_iter_open_container (&v, DBUS_TYPE_STRUCT, nullptr, &tip);
            appendString (tip, DBUS_TYPE_STRING, "");
            appendIcon (tip);
            appendString (tip, DBUS_TYPE_STRING, tooltip);
            appendString (tip, DBUS_TYPE_STRING, "");
            dbus_message_iter_close_container (&v, &tip);
        });
    else
        return false;
    return true;
}

DBusHandlerResult StatusNotifierItem::handleItem (DBusMessage* message)
{
    DBusMessageIter args;
    dbus_message_iter_init (message, &args);

    if (dbus_message_is_method_call (message, DBUS_INTERFACE_INTROSPECTABLE, "Introspect"))
    {
        reply (message, [] (DBusMessageIter& out) { appendString (out, DBUS_TYPE_STRING, itemIntrospection); });
    }
    else if (dbus_message_is_method_call (message, propertiesInterface, "GetAll"))
    {
        const auto interface = stringArgument (args);
        reply (message, [&] (DBusMessageIter& out) {
            DBusMessageIter dict;
            dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "{sv}", &dict);
            for (const auto* name : { "Category", "Id", "Title", "Status", "WindowId", "IconName", "IconPixmap", "OverlayIconName",
                                      "AttentionIconName", "ToolTip", "ItemIsMenu", "Menu", "IconThemePath" })
            {
                if (interface != itemInterface)
                    break;
                DBusMessageIter entry;
                dbus_message_iter_open_container (&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                appendString (entry, DBUS_TYPE_STRING, name);
                appendItemValue (entry, name);
                dbus_message_iter_close_container (&dict, &entry);
            }
            dbus_message_iter_close_container (&out, &dict);
        });
    }
    else if (dbus_message_is_method_call (message, propertiesInterface, "Get"))
    {
        stringArgument (args);
        const auto name = stringArgument (args);
        auto* answer = dbus_message_new_method_return (message);
        DBusMessageIter out;
        dbus_message_iter_init_append (answer, &out);
        if (! appendItemValue (out, name))
        {
            dbus_message_unref (answer);
            answer = dbus_message_new_error (message, DBUS_ERROR_UNKNOWN_PROPERTY, "no such property");
        }
        dbus_connection_send (bus.get(), answer, nullptr);
        dbus_message_unref (answer);
    }
    else if (dbus_message_is_method_call (message, itemInterface, "Activate"))
    {
        reply (message, {});
        client.trayIconActivated();
    }
    else if (dbus_message_is_method_call (message, itemInterface, "SecondaryActivate")
             || dbus_message_is_method_call (message, itemInterface, "ContextMenu")
             || dbus_message_is_method_call (message, itemInterface, "Scroll"))
    {
        reply (message, {});
    }
    else
    {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    return DBUS_HANDLER_RESULT_HANDLED;
}

void StatusNotifierItem::rebuildMenu()
{
    menu = client.trayIconMenu();
    entries.clear();
    addEntries (menu.items, 0);
    ++revision;
}

void StatusNotifierItem::addEntries (const juce::PopupMenu& popup, int parent)
{
    for (juce::PopupMenu::MenuItemIterator it (popup); it.next();)
    {
        const auto& item = it.getItem();
        entries.push_back ({ parent, item.itemID, item.text, item.isSeparator, item.isEnabled, item.subMenu != nullptr });
        const auto id = (int) entries.size();
        if (item.subMenu != nullptr)
            addEntries (*item.subMenu, id);
    }
}

// (ia{sv}av): the entry, its properties and its children down to `depth` levels (-1: all).
void StatusNotifierItem::appendMenuEntry (DBusMessageIter& into, int id, int depth)
{
    DBusMessageIter node, properties, children;
    dbus_message_iter_open_container (&into, DBUS_TYPE_STRUCT, nullptr, &node);
    const dbus_int32_t wireId = id;
    dbus_message_iter_append_basic (&node, DBUS_TYPE_INT32, &wireId);
    dbus_message_iter_open_container (&node, DBUS_TYPE_ARRAY, "{sv}", &properties);
    appendEntryProperties (properties, id);
    dbus_message_iter_close_container (&node, &properties);
    dbus_message_iter_open_container (&node, DBUS_TYPE_ARRAY, "v", &children);
    if (depth != 0)
        for (int child = 1; child <= (int) entries.size(); ++child)
            if (entries[(size_t) child - 1].parent == id)
                appendVariant (children, "(ia{sv}av)", [&] (DBusMessageIter& v) { appendMenuEntry (v, child, depth - 1); });
    dbus_message_iter_close_container (&node, &children);
    dbus_message_iter_close_container (&into, &node);
}

// The a{sv} properties of a menu entry (0: the root).
void StatusNotifierItem::appendEntryProperties (DBusMessageIter& dict, int id)
{
    if (id == 0)
    {
        appendDictEntry (dict, "children-display", "s", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, "submenu"); });
        return;
    }
    if (id < 1 || id > (int) entries.size())
        return;
    const auto& entry = entries[(size_t) id - 1];
    if (entry.separator)
    {
        appendDictEntry (dict, "type", "s", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, "separator"); });
        return;
    }
    appendDictEntry (dict, "label", "s", [&] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, menuLabel (entry.label)); });
    appendDictEntry (dict, "enabled", "b", [&] (DBusMessageIter& v) {
        const dbus_bool_t enabled = entry.enabled;
        dbus_message_iter_append_basic (&v, DBUS_TYPE_BOOLEAN, &enabled);
    });
    if (entry.submenu)
        appendDictEntry (dict, "children-display", "s", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, "submenu"); });
}

DBusHandlerResult StatusNotifierItem::handleMenu (DBusMessage* message)
{
    DBusMessageIter args;
    dbus_message_iter_init (message, &args);
    const auto is = [&] (const char* member) { return dbus_message_is_method_call (message, menuInterface, member); };

    if (dbus_message_is_method_call (message, DBUS_INTERFACE_INTROSPECTABLE, "Introspect"))
    {
        reply (message, [] (DBusMessageIter& out) { appendString (out, DBUS_TYPE_STRING, menuIntrospection); });
    }
    else if (dbus_message_is_method_call (message, propertiesInterface, "GetAll"))
    {
        const auto interface = stringArgument (args);
        reply (message, [&] (DBusMessageIter& out) {
            DBusMessageIter dict;
            dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "{sv}", &dict);
            if (interface == menuInterface)
            {
                appendDictEntry (dict, "Version", "u", [] (DBusMessageIter& v) {
                    const dbus_uint32_t version = 3;
                    dbus_message_iter_append_basic (&v, DBUS_TYPE_UINT32, &version);
                });
                appendDictEntry (dict, "TextDirection", "s", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, "ltr"); });
                appendDictEntry (dict, "Status", "s", [] (DBusMessageIter& v) { appendString (v, DBUS_TYPE_STRING, "normal"); });
            }
            dbus_message_iter_close_container (&out, &dict);
        });
    }
    else if (is ("GetLayout"))
    {
        const auto parent = intArgument (args);
        const auto depth = intArgument (args);
        // The whole menu is asked for each time it opens: it lists what is there now.
        if (parent == 0 || entries.empty())
            rebuildMenu();
        if (parent < 0 || parent > (int) entries.size())
        {
            auto* error = dbus_message_new_error (message, DBUS_ERROR_INVALID_ARGS, "no such menu entry");
            dbus_connection_send (bus.get(), error, nullptr);
            dbus_message_unref (error);
            return DBUS_HANDLER_RESULT_HANDLED;
        }
        reply (message, [&] (DBusMessageIter& out) {
            const dbus_uint32_t wireRevision = revision;
            dbus_message_iter_append_basic (&out, DBUS_TYPE_UINT32, &wireRevision);
            appendMenuEntry (out, parent, depth);
        });
    }
    else if (is ("GetGroupProperties"))
    {
        std::vector<int> ids;
        DBusMessageIter list;
        if (dbus_message_iter_get_arg_type (&args) == DBUS_TYPE_ARRAY)
        {
            dbus_message_iter_recurse (&args, &list);
            while (dbus_message_iter_get_arg_type (&list) == DBUS_TYPE_INT32)
                ids.push_back (intArgument (list));
        }
        reply (message, [&] (DBusMessageIter& out) {
            DBusMessageIter array;
            dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "(ia{sv})", &array);
            for (auto id : ids)
            {
                DBusMessageIter node, properties;
                dbus_message_iter_open_container (&array, DBUS_TYPE_STRUCT, nullptr, &node);
                const dbus_int32_t wireId = id;
                dbus_message_iter_append_basic (&node, DBUS_TYPE_INT32, &wireId);
                dbus_message_iter_open_container (&node, DBUS_TYPE_ARRAY, "{sv}", &properties);
                appendEntryProperties (properties, id);
                dbus_message_iter_close_container (&node, &properties);
                dbus_message_iter_close_container (&array, &node);
            }
            dbus_message_iter_close_container (&out, &array);
        });
    }
    else if (is ("Event") || is ("EventGroup"))
    {
        std::vector<int> clicked;
        const auto readEvent = [&] (DBusMessageIter& event) {
            const auto id = intArgument (event);
            if (stringArgument (event) == "clicked")
                clicked.push_back (id);
        };
        if (is ("Event"))
        {
            readEvent (args);
        }
        else if (dbus_message_iter_get_arg_type (&args) == DBUS_TYPE_ARRAY)
        {
            DBusMessageIter list, event;
            dbus_message_iter_recurse (&args, &list);
            for (; dbus_message_iter_get_arg_type (&list) == DBUS_TYPE_STRUCT; dbus_message_iter_next (&list))
            {
                dbus_message_iter_recurse (&list, &event);
                readEvent (event);
            }
        }
        reply (message, [&] (DBusMessageIter& out) {
            if (is ("EventGroup"))
            {
                DBusMessageIter errors;
                dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "i", &errors);
                dbus_message_iter_close_container (&out, &errors);
            }
        });
        // The choice runs against the menu the host showed, after the reply has gone.
        const auto choose = menu.choose;
        for (auto id : clicked)
            if (id >= 1 && id <= (int) entries.size() && ! entries[(size_t) id - 1].separator && choose)
                choose (entries[(size_t) id - 1].itemId);
    }
    else if (is ("AboutToShow"))
    {
        reply (message, [] (DBusMessageIter& out) {
            const dbus_bool_t needUpdate = true;
            dbus_message_iter_append_basic (&out, DBUS_TYPE_BOOLEAN, &needUpdate);
        });
    }
    else if (is ("AboutToShowGroup"))
    {
        reply (message, [] (DBusMessageIter& out) {
            DBusMessageIter updates, errors;
            dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "i", &updates);
            const dbus_int32_t root = 0;
            dbus_message_iter_append_basic (&updates, DBUS_TYPE_INT32, &root);
            dbus_message_iter_close_container (&out, &updates);
            dbus_message_iter_open_container (&out, DBUS_TYPE_ARRAY, "i", &errors);
            dbus_message_iter_close_container (&out, &errors);
        });
    }
    else
    {
        return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
    }
    return DBUS_HANDLER_RESULT_HANDLED;
}

} // namespace arx::platform::desktop
