"""Drives the real program on the test desktop: reads it through the accessibility interface
(AT-SPI), as a screen reader does, and works it with real clicks and keystrokes (xdotool), as a
user does. Buttons and menu entries are pressed through their AT-SPI actions.

Runs inside scripts/testdesk/testdesk --all, with Debian's /usr/bin/python3 (pyatspi, dbus).
"""

import os
import re
import subprocess
import time

import dbus
import pyatspi
from gi.repository import Atspi, GLib

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
APPLICATION = "wakemere"
# Searches never descend into these: the file dialog's views hold a cell per file and column.
BULKY = {"tree", "tree table", "table"}
TIME = r"\d\d:\d\d:\d\d"


class Failed(Exception):
    """A scenario found the program behaving wrongly."""


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*args, timeout=30):
    return subprocess.run(args, check=True, capture_output=True, text=True,
                          timeout=timeout).stdout


def pump():
    """Hands queued AT-SPI events to their listeners."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def poll(pred, timeout):
    """pred()'s first true value within timeout seconds, or its last false one. An object that
    vanishes while pred looks at it counts as false."""
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = pred()
        except GLib.Error:
            value = None
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(0.05)


def wait_for(pred, what, timeout=5.0):
    """Polls pred() until it is true and returns its value; fails at the deadline with `what`,
    or with what() if it is a function, so that the message tells how things ended."""
    value = poll(pred, timeout)
    expect(value, what() if callable(what) else what)
    return value


def stays_false(pred, seconds):
    """True if pred() stays false for that long (for things that must not happen)."""
    return not poll(pred, seconds)


def children(acc):
    return [c for c in (acc.getChildAtIndex(i) for i in range(acc.childCount)) if c is not None]


def find_all(root, role, name=None):
    """Descendants of root with this role (and name), in tree order."""
    found = []
    stack = [root]
    while stack:
        acc = stack.pop()
        if acc.getRoleName() == role and (name is None or acc.name == name):
            found.append(acc)
        if acc.getRoleName() not in BULKY:
            stack.extend(reversed(children(acc)))
    return found


def find(root, role, name=None):
    found = find_all(root, role, name)
    return found[0] if found else None


def has_state(acc, state):
    return acc.getState().contains(state)


def showing(acc):
    return has_state(acc, pyatspi.STATE_SHOWING)


def enabled(acc):
    return has_state(acc, pyatspi.STATE_ENABLED)


def checked(acc):
    return has_state(acc, pyatspi.STATE_CHECKED)


def text(acc):
    """What a text box holds."""
    return acc.queryText().getText(0, -1)


def label_texts(window):
    """The texts of the labels a window shows: a label is read by its text."""
    return [label.name for label in find_all(window, "label") if showing(label)]


def _a11y_bus():
    address = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(
        dbus_interface="org.a11y.Bus")
    return dbus.bus.BusConnection(address)


_bus = None


def press(acc, action="Press"):
    """Does the control's AT-SPI action without waiting for the program: a handler that opens a
    modal box would hold a waiting call until the box is closed."""
    global _bus
    actions = acc.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    expect(action in names, "%s %r offers no %s action, only %r"
           % (acc.getRoleName(), acc.name, action, names))
    if _bus is None:
        _bus = _a11y_bus()
    _bus.call_async(acc.app.bus_name, acc.path, "org.a11y.atspi.Action", "DoAction", "i",
                    (names.index(action),), None, None)
    _bus.flush()


def centre(acc):
    x, y, width, height = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x + width // 2, y + height // 2


def click_at(x, y, button=1):
    # --sync waits for the pointer to arrive, which it never does when it is there already.
    run("xdotool", "mousemove", "0", "0")
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))


def click(acc, button=1):
    click_at(*centre(acc), button=button)


def keys(*names):
    run("xdotool", "key", "--clearmodifiers", "--delay", "40", *names)


def type_into(box, typed):
    """Clicks into the text box, selects what it holds and types over it key by key."""
    click(box)
    wait_for(lambda: has_state(box, pyatspi.STATE_FOCUSED), "%r took no focus" % box.name)
    keys("ctrl+a")
    run("xdotool", "type", "--delay", "40", typed)


class Program:
    """One run of the program under libfaketime, its clock set by the test; stopped at the end
    if the scenario did not end it."""

    def __init__(self, program, log_path, clock="2026-12-07 07:00:00"):
        self.clock_file = os.path.join(os.environ["TESTDESK_DIR"], "faketime")
        self.set_clock(clock)
        # Only the wall clock is set: timers and the sound server keep the real monotonic clock.
        env = dict(os.environ, LD_PRELOAD=FAKETIME, FAKETIME_TIMESTAMP_FILE=self.clock_file,
                   FAKETIME_NO_CACHE="1", FAKETIME_DONT_FAKE_MONOTONIC="1")
        with open(log_path, "a") as log:
            self.proc = subprocess.Popen([program], stdin=subprocess.DEVNULL, stdout=log,
                                         stderr=subprocess.STDOUT, env=env)
        self.menus = []
        pyatspi.Registry.registerEventListener(self._showing, "object:state-changed:showing")
        try:
            self.app = wait_for(self._application, "the program is not on the accessibility bus",
                                15)
            # Every read goes to the program: a cached name or state would be stale.
            self.app.set_cache_mask(Atspi.Cache.NONE)
            self.main = self.window("Wakemere")
        except BaseException:
            self.stop()
            raise

    def set_clock(self, start):
        """Sets the program's wall clock to start ("YYYY-MM-DD HH:MM:SS"), from where it runs on."""
        with open(self.clock_file, "w") as clock:
            clock.write("@%s\n" % start)

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            if app.name == APPLICATION and app.get_process_id() == self.proc.pid:
                return app
        return None

    def _showing(self, event):
        if event.detail1 and event.source.getRoleName() == "popup menu":
            self.menus.append(event.source)

    def stop(self):
        pyatspi.Registry.deregisterEventListener(self._showing, "object:state-changed:showing")
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def ended(self, timeout=10):
        """True if the program ended by itself, successfully, within the timeout."""
        try:
            return self.proc.wait(timeout=timeout) == 0
        except subprocess.TimeoutExpired:
            return False

    def windows(self, title):
        return [w for w in children(self.app) if w.name == title and showing(w)]

    def window(self, title, timeout=5.0):
        return wait_for(lambda: self.windows(title), "no window %r" % title, timeout)[0]

    def closed(self, title, timeout=5.0):
        wait_for(lambda: not self.windows(title), "window %r still open" % title, timeout)

    def popup_menu(self, timeout=5.0):
        """The last popup menu shown (popups are not in the tree; their showing is an event)."""
        return wait_for(lambda: [m for m in self.menus if showing(m)],
                        "no popup menu", timeout)[-1]

    def x_windows(self, name=""):
        """The program's viewable X windows whose title matches name: {id: geometry}."""
        try:
            ids = run("xdotool", "search", "--all", "--onlyvisible", "--pid",
                      str(self.proc.pid), "--name", name).split()
        except subprocess.CalledProcessError:
            return {}
        return {wid: geometry(wid) for wid in ids}

    def mapped_at(self, x, y):
        """Whether one of the program's X windows is viewable over that point of the screen."""
        return any(p["X"] <= x < p["X"] + p["WIDTH"] and p["Y"] <= y < p["Y"] + p["HEIGHT"]
                   for p in self.x_windows().values())

    def x_window(self, title):
        """The id of the program's largest viewable X window with this title, or None."""
        found = self.x_windows("^%s$" % re.escape(title))
        return max(found, key=lambda w: found[w]["WIDTH"] * found[w]["HEIGHT"], default=None)

    def error_box(self, message, timeout=5.0):
        """Checks that a modal "Error" box says message, then presses its OK."""
        box = self.window("Error", timeout)
        said = label_texts(box)
        expect(message in said, "the Error box says %r, not %r" % (said, message))
        press(find(box, "push button", "OK"))
        self.closed("Error")

    def choose(self, list_name, entry):
        """Picks entry from the main window's drop-down list named list_name."""
        box = wait_for(lambda: find(self.main, "text", list_name), "no list %r" % list_name)
        self.pick(box.parent, entry)

    def pick(self, combo, entry):
        """Drops the list down and clicks its entry."""
        press(combo, "ShowMenu")
        item = wait_for(lambda: find(combo, "list item", entry), "no entry %r" % entry)
        wait_for(lambda: self.mapped_at(*centre(item)), "the list %r did not drop down"
                 % combo.name)
        click(item)
        # On Linux a drop-down list is named by the text it shows.
        wait_for(lambda: combo.name == entry,
                 lambda: "the list shows %r, not %r" % (combo.name, entry))

    def field(self, name, window=None):
        return wait_for(lambda: find(window or self.main, "text", name), "no box %r" % name)

    def status(self):
        """The main window's status line, the one label placed on the window itself."""
        client = find(self.main, "filler")
        return [c for c in children(client) if c.getRoleName() == "label"][0].name

    def clock(self):
        """The time the main window shows, "HH:MM:SS"; empty before the first tick."""
        times = [c.name for c in find_all(self.main, "label") if re.fullmatch(TIME, c.name)]
        return times[0] if times else ""

    def choose_file(self, path, file_type=None):
        """Presses BROWSE, picks the file type if given and the file by typing its path."""
        press(find(self.main, "push button", "BROWSE"))
        dialog = self.window("Open Sound File")
        if file_type:
            # "Look in" comes first, "Files of type" last.
            self.pick(find_all(dialog, "combo box")[-1], file_type)
        type_into(self.field("File name:", dialog), path)
        ok = find(dialog, "push button", "Open")
        wait_for(lambda: enabled(ok), "Open stays disabled for %r" % path)
        # Enter, as typists do: it closes the dialog with its completion list open, which once
        # left the main window unable to take the focus.
        keys("Return")
        self.closed("Open Sound File")
        wait_for(lambda: text(self.field("File")) == path, "the File box does not show %r"
                 % path)

    def arm(self, slot):
        """Types 7:30:00 into the boxes, presses Activate Alarm and checks that the slot is set,
        with no Error box."""
        for name, value in (("Hour", "7"), ("Minute", "30"), ("Second", "00")):
            box = self.field(name)
            type_into(box, value)
            wait_for(lambda: text(box) == value, lambda: "the %s box holds %r, not %r"
                     % (name, text(box), value))
        press(find(self.main, "push button", "Activate Alarm"))
        status = "Alarm %d Set For 7:30:00 AM" % slot
        wait_for(lambda: self.status() == status, lambda: "status reads %r" % self.status())
        expect(stays_false(lambda: self.windows("Error"), 0.5), "an Error box opened")

    def alarm_on(self, day):
        """Sets the clock two seconds before 7:30:00 on that day: the alarm window that opens."""
        self.set_clock(day + " 07:29:58")
        return self.window("ALARM!", timeout=8)


def geometry(wid):
    """Place and size of an X window: X, Y, WIDTH, HEIGHT."""
    values = {}
    for line in run("xdotool", "getwindowgeometry", "--shell", wid).splitlines():
        key, _, value = line.partition("=")
        if value.lstrip("-").isdigit():
            values[key] = int(value)
    return values
