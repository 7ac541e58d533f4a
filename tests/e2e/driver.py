"""Drives the real program on the test desktop: reads it through the accessibility interface
(AT-SPI, with dogtail), as a screen reader does, and works it with real clicks and keys, as a
user does. Runs inside scripts/testdesk/testdesk, with Debian's /usr/bin/python3.
"""

import array
import functools
import os
import re
import subprocess
import time

import dbus

from dogtail.config import config

config.logDebugToFile = config.logDebugToStdOut = False
config.actionDelay = config.typingDelay = config.defaultDelay = 0.05
config.searchBackoffDuration, config.searchCutoffCount = 0.1, 50  # five seconds of searching
# dogtail takes this as the sign that accessibility is on (the test desktop has it on), and
# refuses to start without it; the program must not inherit it.
os.environ["GTK_MODULES"] = "gail:atk-bridge"
import pyatspi  # noqa: E402
from dogtail import rawinput, tree  # noqa: E402, every accessible object is a node
from gi.repository import Atspi, GLib  # noqa: E402
del os.environ["GTK_MODULES"]

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
TIME = r"\d\d:\d\d:\d\d"


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


def wait_for(pred, what, timeout=5.0):
    """Polls pred() until it is true and returns its value; at the deadline fails with what, or
    what() if it is a function, so that the message tells how things ended. An object that
    vanishes while pred looks at it, or a tool that finds nothing, counts as false."""
    deadline = time.monotonic() + timeout
    while True:
        while GLib.MainContext.default().iteration(False):  # hands events to their listeners
            pass
        try:
            value = pred()
        except (GLib.Error, subprocess.CalledProcessError):
            value = None
        if value or time.monotonic() >= deadline:
            expect(value, what() if callable(what) else what)
            return value
        time.sleep(0.05)


def find_all(root, role):
    return root.findChildren(lambda node: node.roleName == role and node.showing)


def label_texts(window):
    """What the window's labels show: a label is read by its text."""
    return [label.name for label in find_all(window, "label")]


@functools.cache
def a11y_bus():
    return dbus.bus.BusConnection(dbus.SessionBus().get_object(
        "org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus"))


def press(node, action="Press"):
    """Does the control's AT-SPI action without waiting for the program: a handler that opens a
    modal box would hold a waiting call until the box closes."""
    names = list(node.actions)
    expect(action in names, "%r offers no %s, only %r" % (node.name, action, names))
    a11y_bus().call_async(node.app.bus_name, node.path, "org.a11y.atspi.Action",
                          "DoAction", "i", (names.index(action),), None, None)
    a11y_bus().flush()


def type_into(box, typed):
    """Selects what the text box holds and types over it key by key."""
    box.keyCombo("<Control>a")
    box.typeText(typed)


def geometry(wid):
    """Place and size of an X window: {"WINDOW": …, "X": …, "Y": …, "WIDTH": …, …}."""
    shell = run("xdotool", "getwindowgeometry", "--shell", wid)
    return {key: int(value) for key, value in (pair.split("=") for pair in shell.split())}


def tray_icons():
    """The program's icon windows embedded in the tray's panel."""
    panel = run("xdotool", "search", "--name", "^panel$").split()[0]
    return re.findall(r'(0x[0-9a-f]+) "wakemere":', run("xwininfo", "-tree", "-id", panel))


def heard(seconds=0.5):
    """The loudest sample the test sink played over that time, 0 to 1."""
    return max(map(abs, record(seconds)), default=0) / 32768


def record(seconds):
    """16-bit mono samples of what the test sink plays."""
    raw = subprocess.run(["timeout", str(seconds), "parec", "-d", "test_sink.monitor", "--raw",
                          "--format=s16le", "--channels=1", "--rate=44100",
                          "--latency-msec=20"], capture_output=True).stdout
    expect(len(raw) > seconds * 44100, "the sink's monitor gave %d bytes" % len(raw))
    return array.array("h", raw[:len(raw) // 2 * 2])


class Program:
    """One run of the program under libfaketime, its wall clock set by the test; the timers
    and the sound server keep the real monotonic clock."""

    def __init__(self, program, log_path, accessible=True, clock="2026-12-07 07:00:00"):
        self.clock_file = os.path.join(os.environ["TESTDESK_DIR"], "faketime")
        self.set_clock(clock)
        env = dict(os.environ, LD_PRELOAD=FAKETIME, FAKETIME_TIMESTAMP_FILE=self.clock_file,
                   FAKETIME_NO_CACHE="1", FAKETIME_DONT_FAKE_MONOTONIC="1")
        with open(log_path, "a") as log:
            self.proc = subprocess.Popen([program], stdin=subprocess.DEVNULL, stdout=log,
                                         stderr=subprocess.STDOUT, env=env)
        # Popup menus (the icon's too) are not in the tree: their showing is an event.
        self.menus = []
        pyatspi.Registry.registerEventListener(self._showing, "object:state-changed:showing")
        if accessible:
            self.app = wait_for(lambda: next((a for a in tree.root.children
                                              if a.get_process_id() == self.proc.pid), None),
                                "the program is not on the AT-SPI bus", 15)
            self.app.set_cache_mask(Atspi.Cache.NONE)  # a cached name or state would be stale
            self.main = self.window("Wakemere")

    def set_clock(self, start):
        """Sets the program's wall clock to start ("YYYY-MM-DD HH:MM:SS"), from where it runs."""
        with open(self.clock_file, "w") as clock:
            clock.write("@%s\n" % start)

    def _showing(self, event):
        if event.detail1 and event.source.roleName == "popup menu":
            self.menus.append(event.source)

    def stop(self):
        pyatspi.Registry.deregisterEventListener(self._showing, "object:state-changed:showing")
        if self.proc.poll() is None:
            self.proc.terminate()
            self.ended()

    def ended(self, timeout=10):
        """True if the program ended successfully within the timeout."""
        try:
            return self.proc.wait(timeout=timeout) == 0
        except subprocess.TimeoutExpired:
            return False

    def windows(self, title):
        return [w for w in self.app.children if w.name == title and w.showing]

    def window(self, title, timeout=5.0):
        return wait_for(lambda: self.windows(title), "no window %r" % title, timeout)[0]

    def closed(self, title):
        wait_for(lambda: not self.windows(title), "window %r still open" % title)

    def popup_menu(self):
        return wait_for(lambda: [m for m in self.menus if m.showing], "no popup menu")[-1]

    def x_windows(self, title=""):
        """The program's viewable X windows whose title matches: {id: geometry}; xdotool fails
        when there is none."""
        return {w: geometry(w) for w in run("xdotool", "search", "--all", "--onlyvisible",
                                            "--pid", str(self.proc.pid), "--name", title).split()}

    def x_window(self, title):
        """The id of the program's largest viewable X window with this title."""
        found = self.x_windows("^%s$" % re.escape(title))
        return max(found, key=lambda w: found[w]["WIDTH"] * found[w]["HEIGHT"], default=None)

    def choose(self, list_name, entry):
        """Drops down the main window's list named list_name and clicks the entry, once the
        list's window is on screen."""
        combo = self.main.child(list_name, "text").parent
        press(combo, "ShowMenu")
        item = combo.child(entry, "list item")
        x, y = item.position[0] + item.size[0] // 2, item.position[1] + item.size[1] // 2
        wait_for(lambda: any(0 <= x - g["X"] < g["WIDTH"] and 0 <= y - g["Y"] < g["HEIGHT"]
                             for g in self.x_windows().values()),
                 "the list %r did not drop down" % combo.name)
        rawinput.click(x, y)
        # On Linux a drop-down list is named by the text it shows.
        wait_for(lambda: combo.name == entry, lambda: "the list shows %r" % combo.name)

    def status(self):
        """The main window's status line, the one label placed on the window itself."""
        return self.main.child(roleName="filler").child(roleName="label", recursive=False).name

    def clock(self):
        """The time the main window shows, "HH:MM:SS"; empty before the first tick."""
        return next((t for t in label_texts(self.main) if re.fullmatch(TIME, t)), "")

    def choose_file(self, path):
        """Presses BROWSE and picks the file by typing its path."""
        press(self.main.child("BROWSE", "push button"))
        dialog = self.window("Open Sound File")
        type_into(dialog.child("File name:", "text"), path)
        ok = dialog.child("Open", "push button")
        wait_for(lambda: ok.sensitive, "Open stays disabled for %r" % path)
        rawinput.pressKey("Return")
        self.closed("Open Sound File")

    def arm(self):
        """Types 7:30:00 into the boxes and presses Activate Alarm: Alarm1 is then set."""
        for name, value in (("Hour", "7"), ("Minute", "30"), ("Second", "00")):
            box = self.main.child(name, "text")
            type_into(box, value)
            wait_for(lambda: box.text == value, lambda: "%s holds %r" % (name, box.text))
        press(self.main.child("Activate Alarm", "push button"))
        wait_for(lambda: self.status() == "Alarm 1 Set For 7:30:00 AM",
                 lambda: "status reads %r" % self.status())

    def alarm_on(self, day):
        """Sets the clock two seconds before 7:30:00 on that day: the alarm window that opens."""
        self.set_clock(day + " 07:29:58")
        return self.window("ALARM!", timeout=8)
