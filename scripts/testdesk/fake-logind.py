#!/usr/bin/python3
"""A stand-in for systemd-logind on a private system bus: records power requests, acts on none.

Each PowerOff/Reboot call appends one line such as "PowerOff true" to $TESTDESK_LOGIND_LOG.
Run with Debian's /usr/bin/python3 (python3-dbus, python3-gi).
"""

import os
import signal
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

BUS_NAME = "org.freedesktop.login1"
OBJECT_PATH = "/org/freedesktop/login1"
MANAGER = "org.freedesktop.login1.Manager"


class Manager(dbus.service.Object):
    """The part of logind's Manager interface the program uses."""

    def __init__(self, bus, log_path):
        super().__init__(bus, OBJECT_PATH)
        self.log_path = log_path

    def record(self, method, interactive):
        with open(self.log_path, "a", encoding="utf-8") as log:
            log.write("%s %s\n" % (method, "true" if interactive else "false"))

    @dbus.service.method(MANAGER, in_signature="b", out_signature="")
    def PowerOff(self, interactive):
        self.record("PowerOff", interactive)

    @dbus.service.method(MANAGER, in_signature="b", out_signature="")
    def Reboot(self, interactive):
        self.record("Reboot", interactive)

    @dbus.service.method(MANAGER, in_signature="", out_signature="s")
    def CanPowerOff(self):
        return "yes"

    @dbus.service.method(MANAGER, in_signature="", out_signature="s")
    def CanReboot(self):
        return "yes"


def main():
    log_path = os.environ.get("TESTDESK_LOGIND_LOG")
    if not log_path:
        print("fake-logind: TESTDESK_LOGIND_LOG is not set", file=sys.stderr)
        return 2
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    # Keep a reference: the name is released when this object goes away.
    name = dbus.service.BusName(BUS_NAME, bus, do_not_queue=True)
    manager = Manager(bus, log_path)
    loop = GLib.MainLoop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, sig, loop.quit)
    bus.call_on_disconnection(lambda _conn: loop.quit())
    loop.run()
    del manager, name
    return 0


if __name__ == "__main__":
    sys.exit(main())
