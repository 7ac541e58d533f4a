#!/usr/bin/python3
"""The real program on the test desktop, driven from outside as people use it: what only the
whole program on a real desktop shows. Run inside scripts/testdesk/testdesk --all:
    scenarios.py build/src/app/wakemere build/tests/e2e SCENARIO
A failing scenario leaves a screenshot OUTPUT/SCENARIO.png and the program's output
OUTPUT/SCENARIO.log.
"""

import os
import re
import subprocess
import sys
import traceback

import dbus

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402
from driver import (TIME, Program, expect, find_all, geometry, heard,  # noqa: E402
                    label_texts, press, rawinput, record, run, tray_icons, type_into, wait_for)

AUDIBLE, SILENT = 0.05, 0.002
DAY = "2026-12-07"
MOCK = "org.freedesktop.DBus.Mock"


def pitch():
    """The frequency the sink plays, from the zero crossings of its loud samples."""
    signs = [s > 0 for s in record(0.5) if abs(s) > 100]
    return sum(a != b for a, b in zip(signs, signs[1:])) / 2 / max(len(signs) / 44100, 0.01)


def check_names(window, inputs, labels):
    """Every caption-less input carries its accessible name and every label but a clock is read
    by its text (a label given a name would hide its text from a screen reader)."""
    named = sorted(box.name for role in ("text", "slider") for box in find_all(window, role))
    expect(named == sorted(inputs), "inputs named %r, not %r" % (named, sorted(inputs)))
    read = [t for t in label_texts(window) if not re.fullmatch(TIME, t)]
    expect(sorted(read) == sorted(labels), "labels read %r, not %r" % (read, sorted(labels)))


def shutdown(start):
    """"Shutdown Windows": when the alarm window's minute runs out, a PowerOff request reaches
    logind and the program ends."""
    program = start()
    program.choose("Action", "Shutdown Windows")
    program.arm()
    program.alarm_on(DAY)
    logind = dbus.SystemBus().get_object("org.freedesktop.login1", "/org/freedesktop/login1")

    def power_requests():
        return [(str(method), *map(bool, args)) for _, method, args
                in logind.GetCalls(dbus_interface=MOCK) if method in ("PowerOff", "Reboot")]
    expect(wait_for(power_requests, "no call reached logind", 75) == [("PowerOff", True)],
           "logind got %r" % power_requests())
    expect(program.ended(), "the program did not end after the shutdown request")


def tray(start):
    """Minimising hides the main window from screen and task bar; a click on the icon brings it
    back in place and in front, and so does a second start, which ends at once; the icon's menu
    Exit ends the program. Of two copies started together one stays, with one icon."""
    program = start()
    icon = wait_for(tray_icons, "no icon in the tray")[0]
    window = wait_for(lambda: program.x_window("Wakemere"), "no main window")
    place, box = geometry(window), geometry(icon)
    minimise(program, window)
    rawinput.click(box["X"] + 4, box["Y"] + 4)
    wait_for(lambda: program.main.showing, "a click on the icon did not bring the window back")
    expect(on_task_bar(window), "the main window is not back on the task bar")
    expect(geometry(window) == place, "the main window came back elsewhere")
    wait_for(lambda: run("xdotool", "getactivewindow").strip() == window, "it is not in front")

    minimise(program, window)
    expect(start(accessible=False).ended(), "the second copy did not end at once")
    wait_for(lambda: program.main.showing and run("xdotool", "getactivewindow").strip() == window,
             "the second start did not bring the first copy's window back in front")
    rawinput.click(box["X"] + 4, box["Y"] + 4, 3)
    press(program.popup_menu().child("Exit", "menu item"))
    expect(program.ended(), "the program did not end after the menu's Exit")
    copies = [start(accessible=False), start(accessible=False)]
    wait_for(lambda: [c.proc.poll() for c in copies].count(None) == 1, "not one copy ended", 15)
    expect(all(c.proc.returncode in (None, 0) for c in copies), "a copy failed")
    wait_for(lambda: len(tray_icons()) == 1, "icons in the tray: %r" % tray_icons())


def minimise(program, window):
    """What the title bar's minimise button asks of the window manager."""
    run("xdotool", "windowminimize", window)
    wait_for(lambda: not program.main.showing, "the main window is still shown")
    wait_for(lambda: not on_task_bar(window), "the main window is still on the task bar")
    expect(len(tray_icons()) == 1, "icons in the tray: %r" % tray_icons())


def on_task_bar(wid):
    """A withdrawn window (no WM_STATE) is neither on screen nor on any task bar."""
    return "window state" in run("xprop", "-id", wid, "WM_STATE")


def accessible_names(start):
    """What a screen reader finds in the main window and the about box."""
    program = start()
    wait_for(program.clock, "the main window shows no time")
    check_names(program.main, ["Alarm", "Hour", "Minute", "Second", "Action", "File"],
                [":", ":", "Wakemere v2.0 - Pellory Inc"])
    press(program.main.child("About", "menu item"))
    about = program.window("About Wakemere v1.0")
    check_names(about, [], ["Wakemere v2.0", "Made By: Pellory Inc.",
                            "If you have any questions or comments, please send them to:"])
    about.child("wakemere@example.com", "link")  # the address is a link


def exit_from_panel(start):
    """With a StatusNotifierWatcher on the bus the icon is an item that a desktop's panel shows;
    its menu's Exit while the Error box is open ends the program cleanly."""
    bus, name = dbus.SessionBus(), "org.kde.StatusNotifierWatcher"
    mock(bus, name, name, "/StatusNotifierWatcher", name)
    watcher = bus.get_object(name, "/StatusNotifierWatcher")
    for method in ("RegisterStatusNotifierItem", "RegisterStatusNotifierHost"):
        watcher.AddMethod("", method, "s", "", "", dbus_interface=MOCK)
    watcher.AddProperty("", "IsStatusNotifierHostRegistered", True, dbus_interface=MOCK)
    program = start()
    item = wait_for(lambda: watcher.GetMethodCalls("RegisterStatusNotifierItem",
                                                   dbus_interface=MOCK), "no item", 10)
    service = str(item[-1][1][0])
    # Activate Alarm on the untouched window opens the Error box.
    run("xdotool", "windowactivate", "--sync", program.x_window("Wakemere"), "key", "alt+a")
    program.window("Error")
    menu = bus.get_object(service, "/MenuBar")
    entries = menu.GetLayout(0, -1, ["label"], dbus_interface="com.canonical.dbusmenu")[1][2]
    exit_id = next(int(i) for i, props, _ in entries if props.get("label") == "Exit")
    menu.Event(exit_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0),
               dbus_interface="com.canonical.dbusmenu")
    expect(program.ended(), "Exit with the Error box open did not end the program")
    expect(not bus.name_has_owner(service), "the item stayed on the bus")


def mock(bus, name, *args):
    """Starts python3-dbusmock with args, which owns name on bus; the test desktop stops it."""
    subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", *args], stdout=subprocess.DEVNULL)
    wait_for(lambda: bus.name_has_owner(name), "%s did not start" % name)


def sleep_woken(start):
    """The computer sleeps at 7:10 and wakes at 7:29:40 by the program's request for 7:29:30:
    the alarm of 7:30:00 then plays the chosen MP3 file's tone, not the built-in one, at the
    sink, and a snooze silences it; the request goes when the program ends."""
    bus, name = dbus.SessionBus(), "org.freedesktop.systemd1"
    mock(bus, name, "--session", "-t", "systemd")
    systemd = bus.get_object(name, "/org/freedesktop/systemd1")
    systemd.Set(name + ".Manager", "Version", "255 (255.4-1)",
                dbus_interface="org.freedesktop.DBus.Properties")  # one that can wake the computer
    logind = dbus.SystemBus().get_object("org.freedesktop.login1", "/org/freedesktop/login1")

    def requests():
        """Per wake-up request: its timer unit and calendar time."""
        calls = systemd.GetMethodCalls("StartTransientUnit", dbus_interface=MOCK)
        return [(str(unit), str(dict(dict(props)["TimersCalendar"])["OnCalendar"]))
                for _, (unit, _, props, _) in calls]

    def sleeping(begins):
        logind.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                          [dbus.Boolean(begins)], dbus_interface=MOCK)
    program = start()
    program.choose("Alarm", "Alarm1")
    program.choose("Action", "Play Sound")
    sound = os.path.join(os.environ["TESTDESK_DIR"], "wake-up.mp3")  # the dialog's first type
    run("sox", "-n", "-r", "44100", "-c", "2", sound, "synth", "30", "sine", "660", "vol", "0.5")
    program.choose_file(sound)
    program.arm()
    wait_for(lambda: [when for _, when in requests()] == [DAY + " 07:29:30"],
             lambda: "wake-up requests %r" % requests())
    program.set_clock(DAY + " 07:10:00")
    sleeping(True)
    wait_for(lambda: len(requests()) == 2, "no new request before sleep")
    program.set_clock(DAY + " 07:29:40")
    sleeping(False)
    alarm = program.window("ALARM!", timeout=30)
    expect(program.clock() >= "07:30:00", "the alarm came at %s" % program.clock())
    check_names(alarm, [], ["Alarm has been triggered!"])
    wait_for(lambda: heard() > AUDIBLE, "the alarm is silent at the sink")
    expect(600 < pitch() < 720, "the sink plays %d Hz, not the file's 660 Hz" % pitch())

    press(alarm.child("Snooze", "push button"))
    snooze = program.window("Set Snooze")
    check_names(snooze, ["Snooze minutes"], ["Snooze For", "Minutes"])
    type_into(snooze.child("Snooze minutes", "text"), "5")
    rawinput.pressKey("Return")
    program.closed("Set Snooze")
    wait_for(lambda: heard(0.3) < SILENT, "the snooze did not silence the alarm")
    press(alarm.child("Close", "push button"))
    program.closed("ALARM!")
    unit = requests()[-1][0]
    program.stop()
    wait_for(lambda: unit in [args[0] for _, args in systemd.GetMethodCalls(
        "StopUnit", dbus_interface=MOCK)], "the wake-up request outlived the program")


SCENARIOS = {f.__name__: f for f in (shutdown, tray, accessible_names, exit_from_panel,
                                     sleep_woken)}


def main():
    program, output, scenario = sys.argv[1:]
    os.makedirs(output, exist_ok=True)
    out = os.path.join(output, scenario)

    def start(accessible=True):
        return Program(os.path.abspath(program), out + ".log", accessible)
    try:
        SCENARIOS[scenario](start)
    except Exception:  # noqa: BLE001 - show what the screen and the program showed
        traceback.print_exc()
        print("screen:", lib.screenshot(out + ".png"), "\nprogram output:", out + ".log")
        return 1
    return 0  # the test desktop stops what the scenario started


if __name__ == "__main__":
    sys.exit(main())
