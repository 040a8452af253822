#!/usr/bin/python3
# A stand-in for the desktop's screensaver service on a session bus of the
# test's own: answers org.freedesktop.ScreenSaver's Inhibit, UnInhibit and
# GetActive, and writes one line per call to the log named on the command
# line:
#   Inhibit<TAB>application<TAB>reason<TAB>cookie
#   UnInhibit<TAB>cookie
#   GetActive
# The tests lock and unlock the screen with its SetActive(b), which sends
# ActiveChanged as a screen locker does.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

log_path = sys.argv[1]


def note(*fields):
    with open(log_path, "a") as log:
        log.write("\t".join(str(f) for f in fields) + "\n")


class ScreenSaver(dbus.service.Object):
    cookies = 0

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u")
    def Inhibit(self, application, reason):
        ScreenSaver.cookies += 1
        note("Inhibit", application, reason, ScreenSaver.cookies)
        return ScreenSaver.cookies

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u", out_signature="")
    def UnInhibit(self, cookie):
        note("UnInhibit", cookie)

    active = False

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="", out_signature="b")
    def GetActive(self):
        note("GetActive")
        return ScreenSaver.active

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="b", out_signature="")
    def SetActive(self, active):
        ScreenSaver.active = bool(active)
        self.ActiveChanged(ScreenSaver.active)

    @dbus.service.signal("org.freedesktop.ScreenSaver", signature="b")
    def ActiveChanged(self, active):
        pass


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName("org.freedesktop.ScreenSaver", bus)
ScreenSaver(bus, "/org/freedesktop/ScreenSaver")
note("ready")
GLib.MainLoop().run()
