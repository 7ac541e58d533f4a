#!/usr/bin/python3
"""Pictures of every window of the real program, for the README's tour.

Run inside the test desktop (scripts/screenshots.sh does it):
    scripts/testdesk/testdesk --all -- /usr/bin/python3 scripts/screenshots.py \\
        --program build/src/app/wakemere --output docs/screenshots
Works the program as a user would, arming Alarm1 for 7:30:00 AM with a sound, and saves each
window with its title bar as OUTPUT/NAME.png.
"""

import argparse
import os
import subprocess
import sys
import shutil
import time

# The end-to-end tests' driver works the program.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from driver import (Program, geometry, label_texts, press, rawinput, run,  # noqa: E402
                    tray_icons, type_into, wait_for)

SCREEN_WIDTH = 1280
TOUR = "/tmp/wakemere-tour"


def stable_capture(args, path, timeout=5.0):
    """Captures until two pictures in a row are the same, so that painting is over."""
    deadline = time.monotonic() + timeout
    previous = None
    while True:
        run("import", *args, path)
        with open(path, "rb") as picture:
            current = picture.read()
        if current == previous or time.monotonic() >= deadline:
            return path
        previous = current


def shoot(program, title, path):
    """Saves the program's window with this title, frame and title bar included."""
    wid = wait_for(lambda: program.x_window(title), "no X window %r" % title)
    run("xdotool", "windowraise", wid)
    stable_capture(["-frame", "-window", wid], path)
    print(path, flush=True)


def shoot_area(x, y, width, height, path):
    stable_capture(["-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                    "+repage"], path)
    print(path, flush=True)


def lower_left(wid):
    place = geometry(wid)
    return place["X"] + 1, place["Y"] + place["HEIGHT"] - 2


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    out = os.path.abspath(args.output)
    os.makedirs(out, exist_ok=True)
    # A fixed path, so that the pictures do not change from run to run.
    shutil.rmtree(TOUR, ignore_errors=True)
    os.makedirs(TOUR)
    sound = os.path.join(TOUR, "wake-up.mp3")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", sound, "synth", "60",
                    "sine", "660", "vol", "0.2"], check=True)

    program = Program(os.path.abspath(args.program),
                      os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"),
                      clock="2026-12-07 07:29:20")
    try:
        program.choose("Alarm", "Alarm1")
        program.choose("Action", "Play Sound")
        program.choose_file(sound)
        program.arm()
        # The focus frame of the last box typed into would show in the picture.
        press(program.main.child("Alarm", "text"), "SetFocus")
        shoot(program, "Wakemere", os.path.join(out, "main.png"))

        press(program.main.child("Set Message", "menu item"))
        program.window("Set Message")
        type_into(program.window("Set Message").child("Message", "text"), "Time to get up!")
        shoot(program, "Set Message", os.path.join(out, "message.png"))
        rawinput.pressKey("Return")
        program.closed("Set Message")

        press(program.main.child("Set Volume", "menu item"))
        program.window("Set Volume")
        shoot(program, "Set Volume", os.path.join(out, "volume.png"))
        press(program.window("Set Volume").child("Cancel", "push button"))
        program.closed("Set Volume")

        press(program.main.child("About", "menu item"))
        program.window("About Wakemere v1.0")
        shoot(program, "About Wakemere v1.0", os.path.join(out, "about.png"))
        press(program.window("About Wakemere v1.0").child("OK", "push button"))
        program.closed("About Wakemere v1.0")

        icon = wait_for(tray_icons, "no icon in the tray")[0]
        # Pressed at its lower left corner, the menu opens below the icon and to its left.
        corner = lower_left(icon)
        rawinput.click(*corner, button=3)
        menu = program.popup_menu()
        (x, y), (width, height) = menu.position, menu.size
        left = min(x, corner[0] - 200) - 10
        shoot_area(left, 0, SCREEN_WIDTH - left, y + height + 10,
                   os.path.join(out, "tray-menu.png"))
        rawinput.pressKey("Escape")
        wait_for(lambda: not menu.showing, "the menu stayed open")

        alarm = program.alarm_on("2026-12-07")
        shoot(program, "ALARM!", os.path.join(out, "alarm.png"))

        press(alarm.child("Snooze", "push button"))
        snooze = program.window("Set Snooze")
        type_into(snooze.child("Snooze minutes", "text"), "5")
        shoot(program, "Set Snooze", os.path.join(out, "snooze.png"))
        rawinput.pressKey("Return")
        program.closed("Set Snooze")
        wait_for(lambda: [t for t in label_texts(alarm) if t.startswith("Time Remaining:  4")],
                 "no countdown")
        shoot(program, "ALARM!", os.path.join(out, "snooze-countdown.png"))
    finally:
        program.stop()
        shutil.rmtree(TOUR, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
