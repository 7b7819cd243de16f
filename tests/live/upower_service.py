#!/usr/bin/python3
# A stand-in for UPower on a private bus: org.freedesktop.UPower at /org/freedesktop/UPower
# with the property OnBattery, which SIGUSR1 turns over (announced with PropertiesChanged)
# and SIGUSR2 turns into a text, as a broken UPower might; says "asked" at every Get.
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.UPower"
PROPS = "org.freedesktop.DBus.Properties"


class UPower(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/UPower")
        self.on_battery = False

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == NAME and name == "OnBattery":
            print("asked", flush=True)
            return self.value()
        raise dbus.exceptions.DBusException("no such property", name=NAME + ".Error")

    @dbus.service.signal(PROPS, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def value(self):
        if isinstance(self.on_battery, str):
            return dbus.String(self.on_battery)
        return dbus.Boolean(self.on_battery)

    def turn(self, text=False):
        self.on_battery = "yes" if text else not self.on_battery
        self.PropertiesChanged(NAME, {"OnBattery": self.value()}, [])
        return True


DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(sys.argv[1])
service = UPower(bus)
bus.request_name(NAME)
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, service.turn)
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, lambda: service.turn(text=True))
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: sys.exit(0))
print("ready", flush=True)
GLib.MainLoop().run()
