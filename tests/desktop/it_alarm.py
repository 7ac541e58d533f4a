#!/usr/bin/python3
"""An alarm of the real program, end to end, on the test desktop with its clock set just before
the alarm's second (libfaketime).

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --pulse --xdg -- \
    /usr/bin/python3 tests/desktop/it_alarm.py build/src/app/wakemere
Arms Alarm1 from the keyboard for 7:30:00 AM with "Play Sound" and no file chosen, then checks
that at 07:30:00 the alarm window opens and the built-in tone reaches the sound server, that a
snooze of 0 minutes silences it and sounds it again a second later, that Close silences it, and
that Exit Program in the alarm window ends the program at once. Ends with "N passed, N failed".
"""

import os
import re
import subprocess
import sys
import traceback

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
# Arming from the keyboard takes a second or two; the alarm is due at 07:30:00.
START = "2026-12-07 07:29:52"
AUDIBLE = 0.05
SILENT = 0.002


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


def windows(proc, title):
    """Ids of the program's viewable windows with this title."""
    try:
        out = run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(proc.pid),
                  "--name", "^%s$" % re.escape(title))
    except subprocess.CalledProcessError:
        return []
    return out.split()


def keys(wid, *names):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "key", "--clearmodifiers", "--delay", "60", *names)


def type_text(wid, text):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "type", "--delay", "60", text)


class Program:
    """One run of the program whose clock starts at `start`, stopped at the end if still up."""

    def __init__(self, start):
        env = dict(os.environ, LD_PRELOAD=FAKETIME, FAKETIME="@" + start,
                   FAKETIME_DONT_FAKE_MONOTONIC="1")
        log = open(os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"), "a")
        self.proc = subprocess.Popen([PROGRAM], stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=subprocess.STDOUT, env=env)
        log.close()
        found = lib.wait_until(lambda: windows(self.proc, "Wakemere"), timeout=10)
        expect(found, "no main window")
        self.main = found[0]

    def window(self, title, timeout=5):
        found = lib.wait_until(lambda: windows(self.proc, title), timeout=timeout)
        return found[0] if found else None

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

    def arm_sound_without_file(self):
        """Alarm1 (selected at start), 7:30:00 AM, "Play Sound", Activate; the box that says no
        file was chosen is answered with Enter."""
        # Focus starts in the alarm list; then hour, minute, second, AM, action list.
        keys(self.main, "Tab")
        type_text(self.main, "7")
        keys(self.main, "Tab")
        type_text(self.main, "30")
        keys(self.main, "Tab", "Tab", "Tab", "Down", "alt+a")
        error = self.window("Error")
        expect(error, "no box saying that no file was chosen")
        keys(error, "Return")


def heard(seconds=0.8):
    return lib.record_sink(seconds)[1]


def tone_snooze_and_close():
    program = Program(START)
    try:
        program.arm_sound_without_file()
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
        expect(lib.wait_until(lambda: not windows(program.proc, "ALARM!"), timeout=3),
               "the alarm window stayed open after the snooze")
        expect(program.proc.poll() is None, "the program ended")
    finally:
        program.stop()


def exit_program_ends_at_once():
    program = Program(START)
    try:
        program.arm_sound_without_file()
        alarm = program.window("ALARM!", timeout=15)
        expect(alarm, "no alarm window at 07:30:00")
        keys(alarm, "alt+x")
        expect(program.ended(), "Exit Program did not end the program")
        expect(lib.wait_until(lambda: heard(0.3) < SILENT, timeout=2), "the sound went on")
    finally:
        program.stop()


def main():
    if not PROGRAM:
        print("usage: it_alarm.py PATH-TO-WAKEMERE", file=sys.stderr)
        return 2
    passed = failed = 0
    for test in (tone_snooze_and_close, exit_program_ends_at_once):
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
