#!/usr/bin/python3
# A stand-in for GNOME Shell on a session bus of the test's own: owns
# org.gnome.Shell and org.gnome.Shell.Extensions and answers the extensions
# interface for one extension, whose state it keeps. Like the shell, it
# answers EnableExtension and DisableExtension at once and switches the
# extension a moment later. Writes "ready" and then one line per call to the
# log:
#   GetExtensionInfo<TAB>uuid    EnableExtension<TAB>uuid
#   DisableExtension<TAB>uuid    Get<TAB>property
# Options:
#   --state N             the extension's state at the start (default 2, off);
#                         "absent" for an extension the shell does not know
#   --user-extensions off the user turned extensions off
#   --enable-error TEXT   turning it on leaves it in error (3) with TEXT
#   --silent              never answers GetExtensionInfo
#   --extensions-only     owns org.gnome.Shell.Extensions but not org.gnome.Shell
import argparse

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

INTERFACE = "org.gnome.Shell.Extensions"
UUID = "marivelle@marivelle.example"
ENABLED, DISABLED, ERROR = 1, 2, 3
# How long the stand-in takes to switch the extension after it was asked.
SWITCH_MS = 300

parser = argparse.ArgumentParser()
parser.add_argument("log")
parser.add_argument("--state", default="2")
parser.add_argument("--user-extensions", default="on", choices=["on", "off"])
parser.add_argument("--enable-error")
parser.add_argument("--silent", action="store_true")
parser.add_argument("--extensions-only", action="store_true")
options = parser.parse_args()


def note(*fields):
    with open(options.log, "a") as log:
        log.write("\t".join(str(f) for f in fields) + "\n")


class Extensions(dbus.service.Object):
    state = None if options.state == "absent" else float(options.state)
    error = ""
    unanswered = []

    def info(self):
        if self.state is None:
            return dbus.Dictionary({}, signature="sv")
        # The keys the shell gives besides the state and the error, of
        # several types, which a reader has to pass over.
        return dbus.Dictionary(
            {
                "uuid": UUID,
                "name": "Marivelle",
                "type": dbus.Double(2),
                "state": dbus.Double(self.state),
                "error": self.error,
                "hasPrefs": dbus.Boolean(False),
                "session-modes": dbus.Array(["user"], signature="s"),
                "version": dbus.Int32(3),
            },
            signature="sv",
        )

    @dbus.service.method(INTERFACE, in_signature="s", out_signature="a{sv}", async_callbacks=("reply", "refuse"))
    def GetExtensionInfo(self, uuid, reply, refuse):
        note("GetExtensionInfo", uuid)
        if options.silent:
            Extensions.unanswered.append((reply, refuse))
        elif uuid == UUID:
            reply(self.info())
        else:
            reply(dbus.Dictionary({}, signature="sv"))

    def switch_later(self, state, error=""):
        def switch():
            self.state = float(state)
            self.error = error
            return False

        GLib.timeout_add(SWITCH_MS, switch)

    @dbus.service.method(INTERFACE, in_signature="s", out_signature="b")
    def EnableExtension(self, uuid):
        note("EnableExtension", uuid)
        if uuid != UUID or self.state is None:
            return False
        if options.user_extensions == "off":
            return True
        if options.enable_error:
            self.switch_later(ERROR, options.enable_error)
        else:
            self.switch_later(ENABLED)
        return True

    @dbus.service.method(INTERFACE, in_signature="s", out_signature="b")
    def DisableExtension(self, uuid):
        note("DisableExtension", uuid)
        if uuid != UUID or self.state is None:
            return False
        self.switch_later(DISABLED)
        return True

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        note("Get", name)
        if interface == INTERFACE and name == "UserExtensionsEnabled":
            return dbus.Boolean(options.user_extensions == "on")
        if interface == INTERFACE and name == "ShellVersion":
            return "44.0"
        raise dbus.exceptions.DBusException("no property " + name, name="org.freedesktop.DBus.Error.UnknownProperty")


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
names = [dbus.service.BusName("org.gnome.Shell.Extensions", bus)]
if not options.extensions_only:
    names.append(dbus.service.BusName("org.gnome.Shell", bus))
# The shell serves the interface on its own name; the Extensions app's
# service of the same interface name is another program.
Extensions(bus, "/org/gnome/Shell" if not options.extensions_only else "/org/gnome/Shell/Extensions")
note("ready")
GLib.MainLoop().run()
