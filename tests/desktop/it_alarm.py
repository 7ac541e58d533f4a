#!/usr/bin/python3
"""An alarm of the real program, end to end, on the test desktop with its clock set just before
the alarm's second (libfaketime).

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --pulse --xdg -- \
    /usr/bin/python3 tests/desktop/it_alarm.py build/src/app/wakemere
Arms Alarm1 from the keyboard for 7:30:00 AM with "Play Sound" and no file chosen. At 07:30:00
the alarm window opens and the built-in tone reaches the sound server; a snooze of 0 minutes
silences it and sounds it again a second later; Exit Program in the alarm window ends the
program at once.
"""

import os
import re
import sys

from program import Program, expect, lib, main, run

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
# Arming from the keyboard takes a second or two; the alarm is due at 07:30:00.
START = "2026-12-07 07:29:52"
AUDIBLE = 0.05
SILENT = 0.002


def heard(seconds=0.8):
    return lib.record_sink(seconds)[1]


def keys(wid, *names):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "key", "--clearmodifiers", "--delay", "60", *names)


def type_text(wid, text):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "type", "--delay", "60", text)


class Alarm(Program):
    """The program with its clock started at START."""

    def __init__(self):
        super().__init__(dict(os.environ, LD_PRELOAD=FAKETIME, FAKETIME="@" + START,
                              FAKETIME_DONT_FAKE_MONOTONIC="1"))

    def arm(self):
        """Alarm1 for 7:30:00 AM, "Play Sound" without a file, Activate."""
        main_window = self.window("Wakemere", timeout=10)
        expect(main_window, "no main window")
        # Focus starts in the alarm list; then hour, minute, second, AM, action list.
        keys(main_window, "Tab")
        type_text(main_window, "7")
        keys(main_window, "Tab")
        type_text(main_window, "30")
        keys(main_window, "Tab", "Tab", "Tab", "Down", "alt+a")
        error = self.window("Error")
        expect(error, "no box saying that no file was chosen")
        keys(error, "Return")

    def shown(self, title):
        """Ids of the program's viewable windows with this title."""
        try:
            return run("xdotool", "search", "--all", "--onlyvisible", "--pid",
                       str(self.proc.pid), "--name", "^%s$" % re.escape(title)).split()
        except Exception:  # noqa: BLE001 - xdotool fails when it finds nothing
            return []

    def window(self, title, timeout=5):
        found = lib.wait_until(lambda: self.shown(title), timeout=timeout)
        return found[0] if found else None


def tone_and_snooze():
    with Alarm() as program:
        program.arm()
        expect(not program.window("ALARM!", timeout=0.5), "the alarm window came early")
        alarm = program.window("ALARM!", timeout=15)
        expect(alarm, "no alarm window at 07:30:00")
        expect(lib.wait_until(lambda: heard() > AUDIBLE, timeout=3), "the alarm was silent")

        keys(alarm, "alt+z")
        snooze = program.window("Set Snooze")
        expect(snooze, "Snooze opened no snooze dialog")
        type_text(snooze, "0")
        keys(snooze, "Return")
        expect(lib.wait_until(lambda: heard(0.3) < SILENT, timeout=2),
               "the snooze did not silence the alarm")
        expect(lib.wait_until(lambda: heard() > AUDIBLE, timeout=4),
               "the end of the snooze was silent")
        expect(lib.wait_until(lambda: not program.shown("ALARM!"), timeout=3),
               "the alarm window stayed open after the snooze")
        expect(program.proc.poll() is None, "the program ended")


def exit_program_ends_at_once():
    with Alarm() as program:
        program.arm()
        alarm = program.window("ALARM!", timeout=15)
        expect(alarm, "no alarm window at 07:30:00")
        keys(alarm, "alt+x")
        expect(program.ended(), "Exit Program did not end the program")
        expect(lib.wait_until(lambda: heard(0.3) < SILENT, timeout=2), "the sound went on")


if __name__ == "__main__":
    sys.exit(main(tone_and_snooze, exit_program_ends_at_once))
