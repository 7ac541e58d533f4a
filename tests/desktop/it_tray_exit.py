#!/usr/bin/python3
"""The icon's Exit while a modal box of the main window is open ends the program cleanly.

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --xdg -- \
    /usr/bin/python3 tests/desktop/it_tray_exit.py build/src/app/wakemere
A StatusNotifierWatcher of python3-dbusmock on the private session bus makes Qt export the icon
as a StatusNotifierItem; Exit is picked through the item's menu (com.canonical.dbusmenu on
/MenuBar), as a desktop's panel does, while the "Error" box or the file dialog is open.
Ends with "N passed, N failed".
"""

import os
import subprocess
import sys
import time

import dbus

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
WATCHER = "org.kde.StatusNotifierWatcher"
MOCK = "org.freedesktop.DBus.Mock"


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def start_watcher(bus):
    proc = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", WATCHER,
                             "/StatusNotifierWatcher", WATCHER], stdout=subprocess.DEVNULL)
    expect(lib.wait_until(lambda: bus.name_has_owner(WATCHER)), "the watcher did not start")
    watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
    for method in ("RegisterStatusNotifierItem", "RegisterStatusNotifierHost"):
        watcher.AddMethod(WATCHER, method, "s", "", "", dbus_interface=MOCK)
    watcher.AddProperties(WATCHER, {"IsStatusNotifierHostRegistered": True,
                                    "ProtocolVersion": dbus.Int32(0),
                                    "RegisteredStatusNotifierItems":
                                        dbus.Array([], signature="s")}, dbus_interface=MOCK)
    return proc, watcher


def windows(proc, title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid),
                           "--name", "^%s$" % title], capture_output=True, text=True).stdout.split()


def exit_while_open(bus, watcher, key, title):
    with open(os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"), "a") as log:
        proc = subprocess.Popen([PROGRAM], stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT)
    try:
        item = lib.wait_until(lambda: watcher.GetMethodCalls("RegisterStatusNotifierItem",
                                                             dbus_interface=MOCK), timeout=10)
        expect(item, "no StatusNotifierItem was registered")
        service = str(item[-1][1][0])
        main = lib.wait_until(lambda: windows(proc, "Wakemere"), timeout=10)
        expect(main, "no main window")
        subprocess.run(["xdotool", "windowactivate", "--sync", main[0]], check=True)
        subprocess.run(["xdotool", "key", key], check=True)
        expect(lib.wait_until(lambda: windows(proc, title)), "no window %r" % title)

        # A moment, as a person takes one: an Exit sent the instant the box appeared did not
        # always show the fault.
        time.sleep(1)
        menu = bus.get_object(service, "/MenuBar")
        _, (_, _, entries) = menu.GetLayout(0, -1, ["label"],
                                            dbus_interface="com.canonical.dbusmenu")
        ids = {str(props.get("label")): int(ident) for ident, props, _ in entries}
        menu.Event(ids["Exit"], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
                   dbus_interface="com.canonical.dbusmenu")
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end")
        expect(proc.returncode == 0, "the program ended with %d" % proc.returncode)
        expect(not bus.name_has_owner(service), "the item stayed on the bus")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        watcher.ClearCalls(dbus_interface=MOCK)


def main():
    if not PROGRAM:
        print("usage: %s PATH-TO-WAKEMERE" % sys.argv[0], file=sys.stderr)
        return 2
    bus = dbus.SessionBus()
    proc, watcher = start_watcher(bus)
    cases = [("error box", "alt+a", "Error"), ("file dialog", "alt+b", "Open Sound File")]
    failed = 0
    try:
        for name, key, title in cases:
            try:
                exit_while_open(bus, watcher, key, title)
                print("PASS", name, flush=True)
            except Exception as error:  # noqa: BLE001 - report every failure and go on
                failed += 1
                print("FAIL", name + ":", error, flush=True)
    finally:
        proc.terminate()
        proc.wait()
    print("%d passed, %d failed" % (len(cases) - failed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
