#!/usr/bin/python3
"""The notification-area icon on a real XEmbed tray (trayer) with a window manager (openbox).

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --tray --xdg -- \
    /usr/bin/python3 tests/desktop/it_tray.py build/src/app/wakemere
Checks that the icon is embedded, that minimising hides the main window from screen and task
bar, that clicks on the icon bring it back in place, that a press released off the icon does
nothing, that a right click opens the menu and its "Exit" ends the program with the icon gone,
and that the close box does the same. Ends with "N passed, N failed".
"""

import os
import re
import subprocess
import sys
import traceback

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
TITLE = "Wakemere"


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


def window(wid):
    """Map state, override-redirect flag and absolute geometry of an X window, or None."""
    try:
        out = run("xwininfo", "-id", wid)
    except subprocess.CalledProcessError:
        return None

    def field(name):
        return re.search(r"^\s*" + name + r":\s*(.*)$", out, re.M).group(1).strip()

    return {"state": field("Map State"), "override": field("Override Redirect State") == "yes",
            "x": int(field("Absolute upper-left X")), "y": int(field("Absolute upper-left Y")),
            "w": int(field("Width")), "h": int(field("Height"))}


def viewable(wid):
    info = window(wid)
    return info is not None and info["state"] == "IsViewable"


def on_task_bar(wid):
    """A withdrawn window (no WM_STATE) is neither on screen nor on any task bar."""
    return "window state" in run("xprop", "-id", wid, "WM_STATE")


def top_level_windows(name):
    """Ids of the children of the root window called NAME."""
    out = run("xwininfo", "-root", "-children")
    return re.findall(r'^\s*(0x[0-9a-f]+) "' + re.escape(name) + '":', out, re.M)


def our_icon():
    icons = [wid for wid, name in lib.tray_icons() if name == TITLE]
    return icons[0] if len(icons) == 1 else None


def main_window(proc):
    """The main window: the program's one client window wider than an icon."""
    out = run("xdotool", "search", "--pid", str(proc.pid), "--name", "^%s$" % TITLE)
    for wid in ("0x%x" % int(w) for w in out.split()):
        info = window(wid)
        if info and info["w"] > 200:
            return wid
    return None


def popup_menu():
    """A viewable override-redirect window of the program at top level: its popup menu."""
    for wid in top_level_windows(TITLE):
        info = window(wid)
        if info and info["override"] and info["state"] == "IsViewable" and info["w"] > 1:
            return wid
    return None


def corners(wid):
    """Four points inside the window, far enough apart (more than Qt's 5 pixels) that presses
    at two of them never make a double-click, however quickly they follow each other."""
    info = window(wid)
    left, right = info["x"] + 4, info["x"] + info["w"] - 5
    top, bottom = info["y"] + 4, info["y"] + info["h"] - 5
    return (left, top), (right, top), (left, bottom), (right, bottom)


def click(x, y, button):
    # --sync waits for the pointer to arrive, which it never does when it is there already.
    run("xdotool", "mousemove", "0", "0")
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))


class Program:
    """One run of the program, stopped at the end if the test did not end it."""

    def __init__(self):
        log = open(os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"), "a")
        self.proc = subprocess.Popen([PROGRAM], stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=subprocess.STDOUT)
        log.close()
        expect(lib.wait_until(our_icon, timeout=10), "no icon embedded in the tray: %r"
               % lib.tray_icons())
        self.icon = our_icon()
        self.main = lib.wait_until(lambda: main_window(self.proc), timeout=10)
        expect(self.main, "no main window")
        expect(lib.wait_until(lambda: viewable(self.main)), "main window not shown")

    def ended(self, timeout=10):
        try:
            return self.proc.wait(timeout=timeout) == 0
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def minimise(self):
        run("xdotool", "windowminimize", self.main)
        expect(lib.wait_until(lambda: not viewable(self.main)), "still on screen")
        expect(lib.wait_until(lambda: not on_task_bar(self.main)), "still on the task bar")

    def expect_back_at(self, place):
        expect(lib.wait_until(lambda: viewable(self.main)), "main window did not come back")
        expect(on_task_bar(self.main), "main window not back on the task bar")
        info = window(self.main)
        expect((info["x"], info["y"]) == place,
               "came back at %r instead of %r" % ((info["x"], info["y"]), place))
        active = lib.wait_until(lambda: run("xdotool", "getactivewindow").strip()
                                == str(int(self.main, 16)))
        expect(active, "main window not in front")


def icon_clicks_and_menu_exit():
    program = Program()
    try:
        info = window(program.main)
        place = (info["x"], info["y"])
        single, double, off, middle = corners(program.icon)

        program.minimise()
        expect(our_icon() == program.icon, "icon gone while the window is hidden")
        click(*single, 1)
        program.expect_back_at(place)

        program.minimise()
        run("xdotool", "mousemove", "--sync", *map(str, double))
        run("xdotool", "click", "--repeat", "2", "--delay", "80", "1")
        program.expect_back_at(place)

        program.minimise()
        run("xdotool", "mousemove", "--sync", *map(str, off))
        run("xdotool", "mousedown", "1")
        run("xdotool", "mousemove", "--sync", "400", "600")
        run("xdotool", "mouseup", "1")
        click(*middle, 2)
        expect(not lib.wait_until(lambda: viewable(program.main), timeout=1),
               "a press released off the icon or a middle click restored the window")

        click(*single, 3)
        menu = lib.wait_until(popup_menu)
        expect(menu, "no popup menu after a right click")
        expect(not viewable(program.main), "a right click restored the window")
        # The menu holds "Restore" and "Exit"; from the keyboard, Up wraps round to the last.
        run("xdotool", "key", "Up", "Return")
        expect(program.ended(), "the program did not end after the menu's Exit")
        expect(lib.wait_until(lambda: our_icon() is None), "icon left in the tray after Exit")
    finally:
        program.stop()


def close_box():
    program = Program()
    try:
        run("xdotool", "windowactivate", "--sync", program.main)
        run("xdotool", "key", "--clearmodifiers", "alt+F4")
        expect(program.ended(), "the program did not end after its window was closed")
        expect(lib.wait_until(lambda: our_icon() is None),
               "icon left in the tray after the close box")
    finally:
        program.stop()


def main():
    if not PROGRAM:
        print("usage: it_tray.py PATH-TO-WAKEMERE", file=sys.stderr)
        return 2
    passed = failed = 0
    for test in (icon_clicks_and_menu_exit, close_box):
        try:
            test()
            passed += 1
            print("PASS", test.__name__, flush=True)
        except Exception as error:  # noqa: BLE001 - report every failure and go on
            failed += 1
            print("FAIL", test.__name__ + ":", error, flush=True)
            if not isinstance(error, Failed):
                traceback.print_exc()
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
