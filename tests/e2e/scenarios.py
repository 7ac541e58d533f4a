#!/usr/bin/python3
"""The program as people use it: the real binary on the test desktop, driven from outside.

Run inside the test desktop:
    scripts/testdesk/testdesk --all -- /usr/bin/python3 tests/e2e/scenarios.py \\
        --program build/src/app/wakemere --output build/tests/e2e [SCENARIO...]
Runs the named scenarios, or all of them, each on a fresh start of the program, and ends with
"N passed, N failed". A failing scenario leaves a screenshot OUTPUT/SCENARIO.png and the
program's output OUTPUT/SCENARIO.log, and prints their paths.
"""

import argparse
import os
import re
import subprocess
import sys
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402
import dbus  # noqa: E402
from driver import (TIME, Failed, Program, checked, children, click, click_at,  # noqa: E402
                    enabled, expect, find, find_all, geometry, keys, label_texts, press, run,
                    showing, stays_false, text, type_into, wait_for)

AUDIBLE = 0.05
SILENT = 0.002
DAY = "2026-12-07"
NEXT_DAY = "2026-12-08"
THIRD_DAY = "2026-12-09"


def heard(seconds=0.5):
    return lib.record_sink(seconds)[1]


def pitch(seconds=0.5):
    """The frequency the sink plays, from the zero crossings of a recording of its monitor,
    over the time it is not silent (the built-in tone beeps)."""
    signs = [s > 0 for s in lib.record_samples(seconds) if abs(s) > 100]
    crossings = sum(1 for a, b in zip(signs, signs[1:]) if a != b)
    return crossings / 2 / max(len(signs) / 44100, 0.01)


def sound_file(name, seconds=30):
    """A WAV file of a steady tone, long enough to be still playing when the test listens."""
    path = os.path.join(os.environ["TESTDESK_DIR"], name)
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth",
                    str(seconds), "sine", "660", "vol", "0.5"], check=True)
    return path


def check_names(window, inputs, labels, clock=False):
    """Every caption-less input of the window carries its accessible name; every label is read
    by its text (a label given a name would hide its text from a screen reader). With clock,
    one more label shows the time."""
    named = sorted(box.name for role in ("text", "slider")
                   for box in find_all(window, role) if showing(box))
    expect(named == sorted(inputs), "inputs named %r, not %r" % (named, sorted(inputs)))
    read = label_texts(window)
    if clock:
        times = [t for t in read if re.fullmatch(TIME, t)]
        expect(len(times) == 1, "no clock among the labels %r" % read)
        read.remove(times[0])
    expect(sorted(read) == sorted(labels), "labels read %r, not %r" % (read, sorted(labels)))


def typical_alarm(program):
    """Alarm1 at 7:30:00 AM playing a WAV file; at its second the sound reaches the sink and the
    alarm window opens; a snooze of 5 minutes counts down; Close ends it. The next day the
    alarm sounds again and Close stops the sound. On the third the file is broken, and the
    built-in tone sounds instead, played by the backend module as the program loads it."""
    wav = sound_file("wake-up.wav")
    program.choose("Alarm", "Alarm1")
    wait_for(lambda: program.status() == "Alarm 1 Not Set", "no 'Alarm 1 Not Set'")
    expect(checked(find(program.main, "radio button", "AM")), "AM is not selected")
    program.choose("Action", "Play Sound")
    program.choose_file(wav, "Sound Files (*.wav)")
    program.arm(1)

    alarm = program.alarm_on(DAY)
    expect(program.clock() >= "07:30:00", "the alarm came at %s" % program.clock())
    expect("Alarm has been triggered!" in label_texts(alarm),
           "the alarm window reads %r" % label_texts(alarm))
    wait_for(lambda: heard() > AUDIBLE, "the alarm is silent at the sink")
    # The file's 660 Hz, not the built-in tone that stands in for a file that cannot play.
    heard_pitch = pitch()
    expect(600 < heard_pitch < 720, "the sink plays %d Hz, not the file's 660 Hz" % heard_pitch)
    check_names(alarm, [], ["Alarm has been triggered!"])

    press(find(alarm, "push button", "Snooze"))
    snooze = program.window("Set Snooze")
    check_names(snooze, ["Snooze minutes"], ["Snooze For", "Minutes"])
    type_into(program.field("Snooze minutes", snooze), "5")
    keys("Return")
    program.closed("Set Snooze")
    wait_for(lambda: "Snooze has been set for 5 minutes" in label_texts(alarm),
             lambda: "the alarm window reads %r" % label_texts(alarm))
    wait_for(lambda: heard(0.3) < SILENT, "the snooze did not silence the alarm")
    first = wait_for(lambda: [t for t in label_texts(alarm) if t.startswith("Time Remaining: ")
                              and t != "Time Remaining:"], "no countdown")[0]
    # The first tick shows 4: 59; a slow look may see the next one first.
    expect(re.fullmatch(r"Time Remaining:  4: 5\d", first), "the countdown starts at %r" % first)
    wait_for(lambda: [t for t in label_texts(alarm) if t.startswith("Time Remaining: ")
                      and t != first], "the countdown stands still at %r" % first)
    expect(not enabled(find(alarm, "push button", "Snooze")), "Snooze is still enabled")

    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")

    alarm = program.alarm_on(NEXT_DAY)
    wait_for(lambda: heard() > AUDIBLE, "the alarm is silent on the next day")
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")
    wait_for(lambda: heard(0.3) < SILENT, "Close did not stop the sound")

    with open(wav, "wb") as broken:
        broken.write(b"\x5a" * 50000)
    alarm = program.alarm_on(THIRD_DAY)
    wait_for(lambda: heard(0.2) > AUDIBLE, "the alarm is silent with a broken file")
    heard_pitch = pitch()
    expect(1600 < heard_pitch < 2000, "the sink plays %d Hz, not the built-in tone" % heard_pitch)
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")
    expect(program.proc.poll() is None, "the program ended")


def time_entry_errors(program):
    """13 in the hour box and 60 in the minute box are refused as they are typed; Activate with
    a box left empty is refused and changes nothing."""
    hour, minute = program.field("Hour"), program.field("Minute")
    type_into(hour, "13")
    program.error_box("Hour must be in between 1 and 12")
    wait_for(lambda: text(hour) == "", lambda: "the hour box kept %r" % text(hour))
    type_into(minute, "60")
    program.error_box("Minute must be in between 00 and 59")
    wait_for(lambda: text(minute) == "", lambda: "the minute box kept %r" % text(minute))

    type_into(hour, "7")
    press(find(program.main, "push button", "Activate Alarm"))
    program.error_box("Minute must be in between 00 and 59")
    expect(program.status() == "Wakemere v2.0 - Pellory Inc",
           "a refused Activate wrote %r" % program.status())


def display_message(program):
    """"Display Message" opens "Set Message" for the slot; at the alarm's second the alarm
    window shows that message, without Snooze. The close box then ends the program."""
    program.choose("Alarm", "Alarm2")
    wait_for(lambda: program.status() == "Alarm 2 Not Set", "no 'Alarm 2 Not Set'")
    program.choose("Action", "Display Message")
    dialog = program.window("Set Message")
    check_names(dialog, ["Message"], ["ALARM 2", "Message:"])
    type_into(program.field("Message", dialog), "Time for the bus")
    keys("Return")
    program.closed("Set Message")
    program.arm(2)

    alarm = program.alarm_on(DAY)
    expect(label_texts(alarm) == ["Time for the bus"],
           "the alarm window reads %r" % label_texts(alarm))
    expect(not enabled(find(alarm, "push button", "Snooze")), "Snooze is enabled")
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")
    expect(program.proc.poll() is None, "the program ended")

    # The main window's close box ends the program, and the icon goes with it.
    run("xdotool", "windowactivate", "--sync", program.x_window("Wakemere"))
    keys("alt+F4")
    expect(program.ended(), "the program did not end after its window was closed")
    wait_for(lambda: not our_icon(), "an icon was left in the tray after the close box")


def shutdown_countdown(program, day):
    """The alarm window of 7:30:00 on that day, once its shutdown countdown counts."""
    alarm = program.alarm_on(day)
    expect("Computer Will Shutdown In 1 Minute!" in label_texts(alarm),
           "the alarm window reads %r" % label_texts(alarm))
    counts = set()

    def counting():
        counts.update(t for t in label_texts(alarm) if t.startswith("Time Remaining:  0"))
        return len(counts) >= 2
    wait_for(counting, lambda: "the countdown does not count: %r" % counts)
    expect(not enabled(find(alarm, "push button", "Snooze")), "Snooze is enabled")
    return alarm


def shutdown(program):
    """"Shutdown Windows" counts a minute down in the alarm window; Close cancels it. The next
    day the countdown runs out: a PowerOff request reaches logind and the program ends,
    leaving no icon in the tray."""
    wait_for(our_icon, "no icon in the tray")
    before = len(lib.logind_calls())

    def calls():
        return lib.logind_calls()[before:]
    program.choose("Action", "Shutdown Windows")
    program.arm(1)

    alarm = shutdown_countdown(program, DAY)
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")
    # Had it gone on, the countdown would have ended at 07:31:01.
    wait_for(lambda: program.clock() >= "07:31:04",
             lambda: "the clock stopped at %s" % program.clock(), timeout=75)
    expect(calls() == [], "logind got %r after Close" % calls())
    expect(program.proc.poll() is None, "the program ended")

    shutdown_countdown(program, NEXT_DAY)
    wait_for(calls, "no call reached logind", timeout=75)
    expect(calls() == ["PowerOff true"], "logind got %r" % calls())
    expect(program.ended(), "the program did not end after the shutdown request")
    wait_for(lambda: not our_icon(), "an icon was left in the tray")


def open_file(program):
    """"Open File" on a document with blanks in its name: at the alarm's second the desktop's
    handler gets the path unchanged, and the alarm window opens without Snooze."""
    folder = os.path.join(os.environ["TESTDESK_DIR"], "My Documents")
    os.makedirs(folder, exist_ok=True)
    document = os.path.join(folder, "notes for today.txt")
    with open(document, "w") as notes:
        notes.write("Bring the keys.\n")
    before = len(lib.handler_calls("document"))

    program.choose("Action", "Open File")
    program.choose_file(document, "All Files (*)")
    program.arm(1)

    alarm = program.alarm_on(DAY)
    expect(not enabled(find(alarm, "push button", "Snooze")), "Snooze is enabled")
    opened = wait_for(lambda: lib.handler_calls("document")[before:], "the document handler "
                      "was not called")
    expect(opened == [[document]], "the handler got %r, not %r" % (opened, [[document]]))
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")


def tray(program):
    """Minimising hides the main window from screen and task bar; a click or a double-click on
    the icon brings it back in place and in front; a press released off the icon or a middle
    click does nothing; the icon's menu "Exit" ends the program and leaves no icon."""
    icon = wait_for(our_icon, "no icon in the tray")[0]
    window = wait_for(lambda: program.x_window("Wakemere"), "no X window for the main window")
    place = geometry(window)
    box = geometry(icon)
    # Corners more than Qt's 5 pixels apart, so that two presses never make a double-click.
    left, right = box["X"] + 4, box["X"] + box["WIDTH"] - 5
    top, bottom = box["Y"] + 4, box["Y"] + box["HEIGHT"] - 5

    def minimise():
        # What the title bar's minimise button asks of the window manager.
        run("xdotool", "windowminimize", window)
        wait_for(lambda: not showing(program.main), "the main window is still shown")
        wait_for(lambda: not on_task_bar(window), "the main window is still on the task bar")
        expect(our_icon() == [icon], "the icon went away: %r" % lib.tray_icons())

    def back(how):
        wait_for(lambda: showing(program.main), "%s on the icon did not bring it back" % how)
        expect(on_task_bar(window), "the main window is not back on the task bar")
        expect(geometry(window) == place, "the main window came back elsewhere")
        wait_for(lambda: run("xdotool", "getactivewindow").strip() == window,
                 "the main window is not in front")

    minimise()
    click_at(left, top)
    back("a click")
    minimise()
    run("xdotool", "mousemove", "--sync", str(right), str(top))
    run("xdotool", "click", "--repeat", "2", "--delay", "80", "1")
    back("a double-click")
    minimise()
    run("xdotool", "mousemove", "--sync", str(left), str(bottom), "mousedown", "1")
    run("xdotool", "mousemove", "--sync", "400", "600", "mouseup", "1")
    click_at(right, bottom, button=2)
    expect(stays_false(lambda: showing(program.main), 1),
           "a press released off the icon or a middle click restored the window")

    click_at(left, top, button=3)
    menu = program.popup_menu()
    expect(not showing(program.main), "a right click restored the window")
    entries = [item.name for item in find_all(menu, "menu item")]
    expect(entries == ["Restore", "Exit"], "the icon's menu holds %r" % entries)
    press(find(menu, "menu item", "Exit"))
    expect(program.ended(), "the program did not end after the menu's Exit")
    wait_for(lambda: not our_icon(), "an icon was left in the tray")


def on_task_bar(wid):
    """A withdrawn window (no WM_STATE) is neither on screen nor on any task bar."""
    return "window state" in run("xprop", "-id", wid, "WM_STATE")


def volume(program):
    """Set Volume at 5: OK sets both channels of the sink to the table's value for 5, 0x7FFF,
    which the server's cubic scale shows as 52016 of 65536."""
    run("pactl", "set-sink-volume", os.environ["TESTDESK_SINK"], "100%")
    press(find(program.main, "menu item", "Set Volume"))
    dialog = program.window("Set Volume")
    check_names(dialog, ["Volume"], ["VOLUME CONTROL", "LOW", "HIGH"])
    slider = find(dialog, "slider", "Volume")
    expect(slider.queryValue().currentValue == 10, "the slider starts at %r"
           % slider.queryValue().currentValue)
    click(slider)
    keys("Page_Down")
    wait_for(lambda: slider.queryValue().currentValue == 5,
             lambda: "Page Down moved the slider to %r" % slider.queryValue().currentValue)
    expect(lib.sink_volume() == [65536, 65536], "the sink changed before OK: %r"
           % lib.sink_volume())
    press(find(dialog, "push button", "OK"))
    program.closed("Set Volume")
    wait_for(lambda: lib.sink_volume() == [52016, 52016],
             lambda: "the sink is at %r" % lib.sink_volume())


def accessible_names(program):
    """What a screen reader finds in the main window and the about box: every input by its
    name, every label by its text. The other windows' are checked where the scenarios open
    them."""
    wait_for(program.clock, "the main window shows no time")
    check_names(program.main, ["Alarm", "Hour", "Minute", "Second", "Action", "File"],
                [":", ":", "Wakemere v2.0 - Pellory Inc"], clock=True)
    press(find(program.main, "menu item", "About"))
    about = program.window("About Wakemere v1.0")
    check_names(about, [], ["Wakemere v2.0", "Made By: Pellory Inc.",
                            "If you have any questions or comments, please send them to:"])
    expect(find(about, "link", "wakemere@example.com"), "the address is not a link")
    press(find(about, "push button", "OK"))
    program.closed("About Wakemere v1.0")


def our_icon():
    return [wid for wid, name in lib.tray_icons() if name == "wakemere"]


class SleepMocks:
    """python3-dbusmock's systemd on the session bus, standing in for the user's service manager
    of that version, and its logind on the system bus; both log every call they get."""

    def __init__(self, version):
        folder = os.environ["TESTDESK_DIR"]
        self.systemd_log = os.path.join(folder, "systemd-mock.log")
        self.logind_log = os.path.join(folder, "logind-mock.log")
        self.procs = [
            subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--session", "-t", "systemd",
                              "-l", self.systemd_log]),
            subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--system", "-t", "logind",
                              "-l", self.logind_log]),
        ]
        self.session, self.system = dbus.SessionBus(), dbus.SystemBus()
        wait_for(lambda: self.session.name_has_owner("org.freedesktop.systemd1")
                 and self.system.name_has_owner("org.freedesktop.login1"),
                 "the dbusmock services did not come up", 15)
        self.manager = self.session.get_object("org.freedesktop.systemd1",
                                               "/org/freedesktop/systemd1")
        self.manager.Set("org.freedesktop.systemd1.Manager", "Version", version,
                         dbus_interface="org.freedesktop.DBus.Properties")
        self.logind = self.system.get_object("org.freedesktop.login1", "/org/freedesktop/login1")

    def calls(self, log, method):
        try:
            with open(log) as lines:
                return [line.split(" ", 1)[1] for line in lines
                        if line.split(" ", 2)[1:2] == [method]]
        except FileNotFoundError:
            return []

    def wake_requests(self):
        """The calendar times of the transient timers asked for, and their unit names."""
        return [(re.search(r"'OnCalendar'\), dbus.String\('([^']*)'", call).group(1),
                 call.split('"')[1])
                for call in self.calls(self.systemd_log, "StartTransientUnit")]

    def stops(self):
        return [call.split('"')[1] for call in self.calls(self.systemd_log, "StopUnit")]

    def prepare_for_sleep(self, start):
        self.logind.EmitSignal("org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                               [dbus.Boolean(start)], dbus_interface="org.freedesktop.DBus.Mock")

    def fail_unit(self, unit):
        """What systemd before 254 does with a user's timer that would wake the computer."""
        self.manager.EmitSignal("org.freedesktop.systemd1.Manager", "JobRemoved", "uoss",
                                [dbus.UInt32(99),
                                 dbus.ObjectPath("/org/freedesktop/systemd1/job/99"),
                                 unit, "failed"], dbus_interface="org.freedesktop.DBus.Mock")

    def stop(self):
        for proc in self.procs:
            proc.terminate()
            proc.wait(timeout=5)


def arm_sound(program):
    wav = sound_file("wake-up.wav")
    program.choose("Alarm", "Alarm1")
    program.choose("Action", "Play Sound")
    program.choose_file(wav, "Sound Files (*.wav)")
    program.arm(1)


def sleep_woken(program):
    """Alarm1 at 7:30:00 AM with a sound; the computer sleeps at 7:10 and is woken at 7:29:40 by
    the request for 7:29:30: the sound reaches the sink at 7:30:00, not before; the program's
    request goes with it when it ends."""
    mocks = program.mocks
    arm_sound(program)
    wait_for(lambda: [w for w, _ in mocks.wake_requests()] == ["2026-12-07 07:29:30"],
             lambda: "wake-up requests %r" % mocks.wake_requests())

    program.set_clock("2026-12-07 07:10:00")
    mocks.prepare_for_sleep(True)
    wait_for(lambda: len(mocks.wake_requests()) == 2, "the request was not renewed before sleep")
    program.set_clock("2026-12-07 07:29:40")
    mocks.prepare_for_sleep(False)

    alarm = program.window("ALARM!", timeout=30)
    expect(program.clock() >= "07:30:00", "the alarm came at %s" % program.clock())
    wait_for(lambda: heard() > AUDIBLE, "the alarm is silent at the sink")
    expect(not program.windows("Missed alarms"), "a Missed alarms window opened")
    expect(mocks.wake_requests()[-1][0] == "2026-12-08 07:29:30",
           "after the alarm the request is for %r" % mocks.wake_requests()[-1][0])
    press(find(alarm, "push button", "Close"))
    program.closed("ALARM!")

    last = mocks.wake_requests()[-1][1]
    program.stop()
    expect(program.proc.returncode == 0, "the program ended with %r" % program.proc.returncode)
    wait_for(lambda: last in mocks.stops(), "the wake-up request outlived the program")


def sleep_refused(program):
    """The user's manager is systemd 252 and fails the wake-up timer; the computer sleeps from
    7:10 to 9:00: no sound, and a Missed alarms window names Alarm1, that the computer was
    asleep and why it could not be woken."""
    mocks = program.mocks
    arm_sound(program)
    wait_for(lambda: mocks.wake_requests(), "no wake-up request")
    mocks.fail_unit(mocks.wake_requests()[-1][1])
    program.set_clock("2026-12-07 07:10:00")
    mocks.prepare_for_sleep(True)
    program.set_clock("2026-12-07 09:00:00")
    mocks.prepare_for_sleep(False)

    missed = program.window("Missed alarms", timeout=15)
    said = " ".join(label_texts(missed))
    expect("The computer could not be woken for them" in said and "252" in said,
           "the Missed alarms window says %r" % said)
    cells = [c.name for table in find_all(missed, "tree table") + find_all(missed, "tree")
             for c in find_all_cells(table)]
    expect("Alarm1" in cells and "the computer was asleep" in cells and "Play Sound" in cells,
           "the missed alarms listed are %r" % cells)
    expect(not program.windows("ALARM!"), "the alarm window opened late")
    expect(heard(1.0) < SILENT, "the missed alarm sounds late")
    press(find(missed, "push button", "OK"))
    program.closed("Missed alarms")


def find_all_cells(table):
    """The cells of a table or tree view, which searches do not enter."""
    cells, stack = [], list(children(table))
    while stack:
        acc = stack.pop()
        if acc.getRoleName() in ("table cell", "tree item", "list item"):
            cells.append(acc)
        stack.extend(children(acc))
    return cells


# Scenarios that need the fake service manager and logind, with the manager's version.
MOCKED = {"sleep_woken": "255 (255.4-1)", "sleep_refused": "252 (252.22-1~deb12u1)"}

SCENARIOS = {
    "typical_alarm": typical_alarm,
    "time_entry_errors": time_entry_errors,
    "display_message": display_message,
    "shutdown": shutdown,
    "open_file": open_file,
    "tray": tray,
    "volume": volume,
    "accessible_names": accessible_names,
    "sleep_woken": sleep_woken,
    "sleep_refused": sleep_refused,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("scenarios", nargs="*", metavar="SCENARIO")
    args = parser.parse_args()
    names = args.scenarios or list(SCENARIOS)
    unknown = [n for n in names if n not in SCENARIOS]
    if unknown:
        print("unknown scenario: %s; known: %s" % (", ".join(unknown), ", ".join(SCENARIOS)),
              file=sys.stderr)
        return 2
    os.makedirs(args.output, exist_ok=True)
    passed = failed = 0
    for name in names:
        scenario = SCENARIOS[name]
        log = os.path.join(args.output, name + ".log")
        if os.path.exists(log):
            os.remove(log)
        program = mocks = None
        try:
            if name in MOCKED:
                mocks = SleepMocks(MOCKED[name])
            program = Program(os.path.abspath(args.program), log)
            program.mocks = mocks
            scenario(program)
            passed += 1
            print("PASS", name, flush=True)
        except Exception as error:  # noqa: BLE001 - report every failure and go on
            failed += 1
            print("FAIL", name + ":", error, flush=True)
            if not isinstance(error, Failed):
                traceback.print_exc()
            try:
                print("  screen:", lib.screenshot(os.path.join(args.output, name + ".png")),
                      flush=True)
            except (OSError, subprocess.SubprocessError) as why:
                print("  no screenshot:", why, flush=True)
            print("  program output:", log, flush=True)
        finally:
            if program:
                program.stop()
            if mocks:
                mocks.stop()
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
