#!/usr/bin/python3
# A desktop portal for the tests, on the bus given by DBUS_SESSION_BUS_ADDRESS: owns
# org.freedesktop.portal.Desktop and answers every SetWallpaperFile with the response
# chosen on the command line, after keeping a copy of the file it was handed and the
# options in OUT/received and OUT/options. With --no-wallpaper it offers another
# interface only. With --notify it also owns org.freedesktop.Notifications and writes the
# summary and body of each Notify to OUT/notified. Prints "ready" once it owns the names.
#
#   portal_service.py RESPONSE OUT [--no-wallpaper] [--notify]
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Wallpaper(dbus.service.Object):
    def __init__(self, bus, response, out):
        super().__init__(bus, PATH)
        self.bus, self.response, self.out = bus, response, out

    @dbus.service.method("org.freedesktop.portal.Wallpaper", in_signature="sha{sv}",
                         out_signature="o", sender_keyword="sender")
    def SetWallpaperFile(self, parent_window, fd, options, sender=None):
        with open(fd.take(), "rb") as picture:
            data = picture.read()
        with open(self.out + "/received", "wb") as copy:
            copy.write(data)
        with open(self.out + "/options", "w") as text:
            for key in sorted(options):
                text.write("%s=%s\n" % (key, options[key]))
        token = str(options.get("handle_token", "t"))
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        request = Request(self.bus, path)
        # Answer after the reply, as a portal does once the user has decided.
        GLib.idle_add(lambda: request.Response(dbus.UInt32(self.response), {}) and False)
        return dbus.ObjectPath(path)


class Settings(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Settings", in_signature="", out_signature="u")
    def version(self):
        return 1


class Notifications(dbus.service.Object):
    def __init__(self, bus, out):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.out = out

    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i",
                         out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        with open(self.out + "/notified", "a") as text:
            text.write("%s|%s|%s|%s\n" % (app, icon, summary, body))
        return 1


def main():
    response, out = int(sys.argv[1]), sys.argv[2]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if "--no-wallpaper" in sys.argv:
        service = Settings(bus, PATH)
    else:
        service = Wallpaper(bus, response, out)
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    if "--notify" in sys.argv:
        notifications = Notifications(bus, out)
        notify_name = dbus.service.BusName("org.freedesktop.Notifications", bus)
    print("ready", flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
