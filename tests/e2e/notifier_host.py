#!/usr/bin/env python3
"""A StatusNotifierWatcher and host for the end-to-end tests, on the session bus of
DBUS_SESSION_BUS_ADDRESS. Once an item registers it reads it as a panel would (its properties,
then its menu over dbusmenu) and prints what it saw as one JSON line; with --click LABEL it then
clicks that menu entry. It serves until it is ended."""
import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"


class Watcher(dbus.service.Object):
    def __init__(self, bus, on_item):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.items = []
        self.on_item = on_item

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        self.items.append(str(service))
        GLib.idle_add(self.on_item, str(service), str(sender))

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass


def main():
    click = sys.argv[sys.argv.index("--click") + 1] if "--click" in sys.argv else None
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()

    def read(service, sender):
        name = sender if service.startswith("/") else service
        item = bus.get_object(name, "/StatusNotifierItem")
        props = item.GetAll(ITEM, dbus_interface=dbus.PROPERTIES_IFACE)
        menu = bus.get_object(name, str(props["Menu"]))
        menu.AboutToShow(0, dbus_interface=MENU)
        _, layout = menu.GetLayout(0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
        entries = [(int(child[0]), dict(child[1])) for child in layout[2]]
        labels = ["-" if p.get("type") == "separator" else str(p.get("label", "")).replace("__", "_")
                  for _, p in entries]
        icons = [[int(w), int(h), len(data)] for w, h, data in props["IconPixmap"]]
        w, h, data = props["IconPixmap"][0]
        opaque = sum(1 for i in range(0, len(data), 4) if int(data[i]) > 0)
        print(json.dumps({"service": service, "id": str(props["Id"]), "title": str(props["Title"]),
                          "status": str(props["Status"]), "tooltip": str(props["ToolTip"][2]),
                          "icons": icons, "opaquePixels": opaque, "menu": labels}), flush=True)
        if click is not None:
            menu.Event(entries[labels.index(click)][0], "clicked", dbus.Int32(0, variant_level=1),
                       dbus.UInt32(0), dbus_interface=MENU)
        return False

    name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)
    watcher = Watcher(bus, read)
    print(json.dumps({"watcher": name.get_name()}), flush=True)
    GLib.MainLoop().run()
    del watcher


if __name__ == "__main__":
    main()
