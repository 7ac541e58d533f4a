#!/usr/bin/python3
"""The notification-area icon on a real XEmbed tray (trayer) with a window manager (openbox).

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --tray --xdg -- \
    /usr/bin/python3 tests/desktop/it_tray.py build/src/app/wakemere
The icon is embedded; minimising hides the main window from screen and task bar; a click or a
double-click on the icon brings it back in place; a press released off the icon or a middle
click does nothing; a right click opens the menu, whose "Exit" ends the program and removes the
icon. The close box does the same.
"""

import re
import subprocess
import sys

from program import Program, expect, lib, main, run

TITLE = "Wakemere"
ICON = "wakemere"   # the icon's X window is named after the application


def window(wid):
    """Map state, override-redirect flag and absolute geometry of an X window (gone: not shown,
    no size)."""
    try:
        out = run("xwininfo", "-id", wid)
    except subprocess.CalledProcessError:
        out = ""

    def field(name):
        found = re.search(r"^\s*" + name + r":\s*(.*)$", out, re.M)
        return found.group(1).strip() if found else "0"

    return {"shown": field("Map State") == "IsViewable",
            "override": field("Override Redirect State") == "yes",
            "x": int(field("Absolute upper-left X")), "y": int(field("Absolute upper-left Y")),
            "w": int(field("Width")), "h": int(field("Height"))}


def on_task_bar(wid):
    """A withdrawn window (no WM_STATE) is neither on screen nor on any task bar."""
    return "window state" in run("xprop", "-id", wid, "WM_STATE")


def our_icon():
    icons = [wid for wid, name in lib.tray_icons() if name == ICON]
    return icons[0] if len(icons) == 1 else None


def main_window(program):
    """The program's one client window wider than an icon."""
    out = run("xdotool", "search", "--pid", str(program.proc.pid), "--name", "^%s$" % TITLE)
    wids = ["0x%x" % int(w) for w in out.split()]
    return next((wid for wid in wids if window(wid)["w"] > 200), None)


def popup_menu():
    """A shown override-redirect window of the program at top level: its popup menu."""
    out = run("xwininfo", "-root", "-children")
    for wid in re.findall(r'^\s*(0x[0-9a-f]+) "%s":' % ICON, out, re.M):
        info = window(wid)
        if info["override"] and info["shown"] and info["w"] > 1:
            return wid
    return None


def click(x, y, button):
    # --sync waits for the pointer to arrive, which it never does when it is there already.
    run("xdotool", "mousemove", "0", "0")
    run("xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button))


def start(program):
    expect(lib.wait_until(our_icon, timeout=10), "no icon in the tray: %r" % lib.tray_icons())
    wid = lib.wait_until(lambda: main_window(program), timeout=10)
    expect(wid and lib.wait_until(lambda: window(wid)["shown"]), "main window not shown")
    return wid


def icon_clicks_and_menu_exit():
    with Program() as program:
        wid = start(program)
        place = (window(wid)["x"], window(wid)["y"])
        icon = window(our_icon())
        # Corners more than Qt's 5 pixels apart, so that two presses never make a double-click.
        left, right = icon["x"] + 4, icon["x"] + icon["w"] - 5
        top, bottom = icon["y"] + 4, icon["y"] + icon["h"] - 5

        def minimise():
            run("xdotool", "windowminimize", wid)
            expect(lib.wait_until(lambda: not window(wid)["shown"]), "still on screen")
            expect(lib.wait_until(lambda: not on_task_bar(wid)), "still on the task bar")

        def expect_back():
            expect(lib.wait_until(lambda: window(wid)["shown"]), "main window did not come back")
            expect(on_task_bar(wid), "main window not back on the task bar")
            expect((window(wid)["x"], window(wid)["y"]) == place, "came back elsewhere")
            expect(lib.wait_until(lambda: run("xdotool", "getactivewindow").strip()
                                  == str(int(wid, 16))), "main window not in front")

        minimise()
        click(left, top, 1)
        expect_back()
        minimise()
        run("xdotool", "mousemove", "--sync", str(right), str(top))
        run("xdotool", "click", "--repeat", "2", "--delay", "80", "1")
        expect_back()

        minimise()
        run("xdotool", "mousemove", "--sync", str(left), str(bottom), "mousedown", "1")
        run("xdotool", "mousemove", "--sync", "400", "600", "mouseup", "1")
        click(right, bottom, 2)
        expect(not lib.wait_until(lambda: window(wid)["shown"], timeout=1),
               "a press released off the icon or a middle click restored the window")

        click(left, top, 3)
        expect(lib.wait_until(popup_menu), "no popup menu after a right click")
        expect(not window(wid)["shown"], "a right click restored the window")
        # The menu holds "Restore" and "Exit"; from the keyboard, Up wraps round to the last.
        run("xdotool", "key", "Up", "Return")
        expect(program.ended(), "the program did not end after the menu's Exit")
        expect(lib.wait_until(lambda: our_icon() is None), "icon left in the tray after Exit")


def close_box():
    with Program() as program:
        run("xdotool", "windowactivate", "--sync", start(program))
        run("xdotool", "key", "--clearmodifiers", "alt+F4")
        expect(program.ended(), "the program did not end after its window was closed")
        expect(lib.wait_until(lambda: our_icon() is None), "icon left after the close box")


if __name__ == "__main__":
    sys.exit(main(icon_clicks_and_menu_exit, close_box))
