"""Helpers for programs run on the test desktop (scripts/testdesk/testdesk); import with
    sys.path.insert(0, os.environ["TESTDESK_LIBDIR"]); import lib
"""

import subprocess
import time


def wait_until(pred, timeout=5.0, interval=0.05):
    """Polls pred() until it returns something true; returns that, or the last false value."""
    deadline = time.monotonic() + timeout
    while True:
        value = pred()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def screenshot(path):
    """Saves the whole virtual screen to PATH (PNG by extension) with ImageMagick's import."""
    subprocess.run(["import", "-window", "root", path], check=True, capture_output=True,
                   timeout=30)
    return path
