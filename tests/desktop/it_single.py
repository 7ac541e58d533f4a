#!/usr/bin/python3
"""Two starts of the real program on the test desktop leave one program and one tray icon.

Run inside the test desktop: scripts/testdesk/testdesk --x --wm --tray --xdg -- \
    /usr/bin/python3 tests/desktop/it_single.py build/src/app/wakemere
Checks that a second start while the first copy is hidden in the tray ends at once and brings
the first copy's main window back to the front, and that two copies started together leave one
running copy and one icon. Ends with "N passed, N failed".
"""

import os
import re
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


def our_icons():
    return [wid for wid, name in lib.tray_icons() if name == "wakemere"]


def viewable(wid):
    try:
        return "IsViewable" in run("xwininfo", "-id", wid)
    except subprocess.CalledProcessError:
        return False


def main_window(proc):
    """The program's main window: its client window on screen called Wakemere that is wider
    than an icon (Qt names its other, unmapped windows after the program too)."""
    try:
        out = run("xdotool", "search", "--onlyvisible", "--pid", str(proc.pid),
                  "--name", "^Wakemere$")
    except subprocess.CalledProcessError:
        return None
    for wid in ("0x%x" % int(w) for w in out.split()):
        width = re.search(r"Width:\s*(\d+)", run("xwininfo", "-id", wid))
        if width and int(width.group(1)) > 200:
            return wid
    return None


def start():
    with open(os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"), "a") as log:
        return subprocess.Popen([PROGRAM], stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT)


def ended(proc, timeout):
    try:
        proc.wait(timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def stop(*procs):
    for proc in procs:
        if proc.poll() is None:
            proc.terminate()
            if not ended(proc, 5):
                proc.kill()
                proc.wait()
    lib.wait_until(lambda: not our_icons(), timeout=5)


def second_start_shows_the_first():
    first = start()
    second = None
    try:
        expect(lib.wait_until(lambda: len(our_icons()) == 1, timeout=10), "no icon in the tray")
        main = lib.wait_until(lambda: main_window(first), timeout=10)
        expect(main, "no main window")
        run("xdotool", "windowminimize", main)
        expect(lib.wait_until(lambda: not viewable(main)), "the main window did not hide")

        second = start()
        expect(ended(second, 10), "the second copy did not end")
        expect(second.returncode == 0, "the second copy ended with %d" % second.returncode)
        expect(first.poll() is None, "the first copy ended")
        expect(lib.wait_until(lambda: viewable(main)), "the first copy's window did not come back")
        expect(lib.wait_until(lambda: run("xdotool", "getactivewindow").strip()
                              == str(int(main, 16))), "the first copy's window is not in front")
        # Settled: a second icon, had there been one, would be embedded by now.
        time.sleep(1)
        expect(len(our_icons()) == 1, "icons in the tray: %d" % len(our_icons()))
    finally:
        stop(*[proc for proc in (first, second) if proc])


def two_starts_at_once():
    copies = [start(), start()]
    try:
        expect(lib.wait_until(lambda: sum(p.poll() is not None for p in copies) == 1,
                              timeout=15), "not exactly one of two copies ended")
        expect(all(p.returncode in (None, 0) for p in copies), "a copy failed")
        expect(lib.wait_until(lambda: len(our_icons()) == 1, timeout=10), "no icon in the tray")
        time.sleep(1)
        expect(len(our_icons()) == 1, "icons in the tray: %d" % len(our_icons()))
        expect(sum(p.poll() is None for p in copies) == 1, "running copies are not one")
    finally:
        stop(*copies)


def main():
    if not PROGRAM:
        print("usage: %s PATH-TO-WAKEMERE" % sys.argv[0], file=sys.stderr)
        return 2
    failed = 0
    for test in (second_start_shows_the_first, two_starts_at_once):
        try:
            test()
            print("PASS", test.__name__, flush=True)
        except Exception as error:  # noqa: BLE001 - report every failure and go on
            failed += 1
            print("FAIL", test.__name__ + ":", error, flush=True)
            if not isinstance(error, AssertionError):
                traceback.print_exc()
    print("%d passed, %d failed" % (2 - failed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
