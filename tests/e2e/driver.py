"""Drives the real program on the test desktop: reads it through the accessibility interface
(AT-SPI), as a screen reader does, and works it with real clicks and keys (xdotool), as a user
does. Runs inside scripts/testdesk/testdesk, with Debian's /usr/bin/python3.
"""

import array
import os
import re
import subprocess
import time

import dbus
import pyatspi
from gi.repository import Atspi, GLib

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
TIME = r"\d\d:\d\d:\d\d"


class Failed(Exception):
    """The program did something wrong."""


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


def poll(pred, timeout):
    """pred()'s first true value within timeout seconds, or its last false one; an object that
    vanishes while pred looks at it counts as false."""
    deadline = time.monotonic() + timeout
    while True:
        while GLib.MainContext.default().iteration(False):  # hands events to their listeners
            pass
        try:
            value = pred()
        except GLib.Error:
            value = None
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(0.05)


def wait_for(pred, what, timeout=5.0):
    """Polls pred() until it is true and returns its value; at the deadline fails with what, or
    what() if it is a function, so that the message tells how things ended."""
    value = poll(pred, timeout)
    expect(value, what() if callable(what) else what)
    return value


def children(acc):
    return [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]


def find_all(root, role, name=None):
    """Descendants of root with this role (and name), in tree order, but not inside the file
    dialog's views, which hold a cell per file and column."""
    found, stack = [], [root]
    while stack:
        acc = stack.pop()
        if acc.getRoleName() == role and name in (None, acc.name):
            found.append(acc)
        if acc.getRoleName() not in ("tree", "tree table", "table"):
            stack.extend(reversed(children(acc)))
    return found


def find(root, role, name=None):
    return next(iter(find_all(root, role, name)), None)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)


def text(acc):
    return acc.queryText().getText(0, -1)


def label_texts(window):
    """What the window's labels show: a label is read by its text."""
    return [label.name for label in find_all(window, "label") if showing(label)]


_bus = None


def press(acc, action="Press"):
    """Does the control's AT-SPI action without waiting for the program: a handler that opens a
    modal box would hold a waiting call until the box closes."""
    actions = acc.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    expect(action in names, "%r offers no %s, only %r" % (acc.name, action, names))
    global _bus
    if not _bus:
        _bus = dbus.bus.BusConnection(dbus.SessionBus().get_object(
            "org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus"))
    _bus.call_async(acc.app.bus_name, acc.path, "org.a11y.atspi.Action", "DoAction", "i",
                   (names.index(action),), None, None)
    _bus.flush()


def centre(acc):
    x, y, width, height = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x + width // 2, y + height // 2


def click(acc, button=1):
    click_at(*centre(acc), button)


def click_at(x, y, button=1):
    # --sync waits for the pointer to arrive, which it never does when it is there already.
    run("xdotool", "mousemove", "0", "0")
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))


def keys(*names):
    run("xdotool", "key", "--clearmodifiers", "--delay", "40", *names)


def type_into(box, typed):
    """Clicks into the text box, selects what it holds and types over it key by key."""
    click(box)
    wait_for(lambda: box.getState().contains(pyatspi.STATE_FOCUSED), "%r took no focus" % box.name)
    keys("ctrl+a")
    run("xdotool", "type", "--delay", "40", typed)


def geometry(wid):
    """Place and size of an X window: {"X": …, "Y": …, "WIDTH": …, "HEIGHT": …}."""
    pairs = (line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell", wid)
             .splitlines())
    return {key: int(value) for key, value in pairs if value.lstrip("-").isdigit()}


def tray_icons():
    """The program's icon windows embedded in the tray's panel."""
    lines = run("xwininfo", "-root", "-tree").splitlines()
    panel = next((i for i, line in enumerate(lines) if '"panel":' in line), len(lines))
    icons = []
    for line in lines[panel + 1:]:
        if len(line) - len(line.lstrip()) <= len(lines[panel]) - len(lines[panel].lstrip()):
            break
        icons += re.findall(r'(0x[0-9a-f]+) "wakemere":', line)
    return icons


def heard(seconds=0.5):
    """The loudest sample the test sink played over that time, 0 to 1."""
    samples = record(seconds)
    return max(map(abs, samples), default=0) / 32768


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
        if not accessible:
            return
        try:
            self.app = wait_for(self._application, "the program is not on the AT-SPI bus", 15)
            self.app.set_cache_mask(Atspi.Cache.NONE)  # a cached name or state would be stale
            self.main = self.window("Wakemere")
        except BaseException:
            self.stop()
            raise

    def set_clock(self, start):
        """Sets the program's wall clock to start ("YYYY-MM-DD HH:MM:SS"), from where it runs."""
        with open(self.clock_file, "w") as clock:
            clock.write("@%s\n" % start)

    def _application(self):
        apps = children(pyatspi.Registry.getDesktop(0))
        return next((a for a in apps if a.get_process_id() == self.proc.pid), None)

    def _showing(self, event):
        if event.detail1 and event.source.getRoleName() == "popup menu":
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
        return [w for w in children(self.app) if w.name == title and showing(w)]

    def window(self, title, timeout=5.0):
        return wait_for(lambda: self.windows(title), "no window %r" % title, timeout)[0]

    def closed(self, title):
        wait_for(lambda: not self.windows(title), "window %r still open" % title)

    def popup_menu(self):
        return wait_for(lambda: [m for m in self.menus if showing(m)], "no popup menu")[-1]

    def x_windows(self, title=""):
        """The program's viewable X windows whose title matches: {id: geometry}."""
        try:
            return {w: geometry(w) for w in run("xdotool", "search", "--all", "--onlyvisible",
                                                "--pid", str(self.proc.pid), "--name", title)
                    .split()}
        except subprocess.CalledProcessError:
            return {}

    def x_window(self, title):
        """The id of the program's largest viewable X window with this title, or None."""
        found = self.x_windows("^%s$" % re.escape(title))
        return max(found, key=lambda w: found[w]["WIDTH"] * found[w]["HEIGHT"], default=None)

    def choose(self, list_name, entry, combo=None):
        """Drops down the main window's list named list_name (or the combo box) and clicks the
        entry, once the list's window is on screen."""
        combo = combo or self.field(list_name).parent
        press(combo, "ShowMenu")
        item = wait_for(lambda: find(combo, "list item", entry), "no entry %r" % entry)
        x, y = centre(item)
        wait_for(lambda: any(0 <= x - g["X"] < g["WIDTH"] and 0 <= y - g["Y"] < g["HEIGHT"]
                             for g in self.x_windows().values()),
                 "the list %r did not drop down" % combo.name)
        click_at(x, y)
        # On Linux a drop-down list is named by the text it shows.
        wait_for(lambda: combo.name == entry, lambda: "the list shows %r" % combo.name)

    def field(self, name, window=None):
        return wait_for(lambda: find(window or self.main, "text", name), "no box %r" % name)

    def status(self):
        """The main window's status line, the one label placed on the window itself."""
        return [c.name for c in children(find(self.main, "filler"))
                if c.getRoleName() == "label"][0]

    def clock(self):
        """The time the main window shows, "HH:MM:SS"; empty before the first tick."""
        return next((t for t in label_texts(self.main) if re.fullmatch(TIME, t)), "")

    def choose_file(self, path):
        """Presses BROWSE and picks the file by typing its path."""
        press(find(self.main, "push button", "BROWSE"))
        dialog = self.window("Open Sound File")
        type_into(self.field("File name:", dialog), path)
        ok = find(dialog, "push button", "Open")
        wait_for(lambda: enabled(ok), "Open stays disabled for %r" % path)
        keys("Return")
        self.closed("Open Sound File")

    def arm(self, slot=1):
        """Types 7:30:00 into the boxes and presses Activate Alarm: the slot is then set."""
        for name, value in (("Hour", "7"), ("Minute", "30"), ("Second", "00")):
            box = self.field(name)
            type_into(box, value)
            wait_for(lambda: text(box) == value, lambda: "%s holds %r" % (name, text(box)))
        press(find(self.main, "push button", "Activate Alarm"))
        status = "Alarm %d Set For 7:30:00 AM" % slot
        wait_for(lambda: self.status() == status, lambda: "status reads %r" % self.status())

    def alarm_on(self, day):
        """Sets the clock two seconds before 7:30:00 on that day: the alarm window that opens."""
        self.set_clock(day + " 07:29:58")
        return self.window("ALARM!", timeout=8)
