#!/usr/bin/python3
"""Waits until an X selection (default _NET_SYSTEM_TRAY_S0) has an owner on $DISPLAY.

Usage: selection-owner.py [SELECTION] [TIMEOUT_SECONDS]
Prints the owner window id and exits 0, or exits 1 at the deadline. Talks to libX11 through
ctypes, so it needs neither xprop nor python-xlib nor Gtk: xprop cannot query selection owners.
"""

import ctypes
import sys
import time


def main():
    selection = sys.argv[1] if len(sys.argv) > 1 else "_NET_SYSTEM_TRAY_S0"
    timeout = float(sys.argv[2]) if len(sys.argv) > 2 else 0.0
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XGetSelectionOwner.restype = ctypes.c_ulong
    xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    display = xlib.XOpenDisplay(None)
    if not display:
        print("selection-owner: cannot open display", file=sys.stderr)
        return 1
    atom = xlib.XInternAtom(display, selection.encode(), 0)
    deadline = time.monotonic() + timeout
    while True:
        owner = xlib.XGetSelectionOwner(display, atom)
        if owner:
            print("0x%x" % owner)
            return 0
        if time.monotonic() >= deadline:
            return 1
        time.sleep(0.02)


if __name__ == "__main__":
    sys.exit(main())
