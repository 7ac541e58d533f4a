"""Helpers for desktop integration tests run under scripts/testdesk/testdesk.

Use Debian's /usr/bin/python3. Import with
    sys.path.insert(0, os.environ["TESTDESK_LIBDIR"]); import lib
Every helper reads the environment testdesk exports; none starts or stops anything.
"""

import array
import json
import math
import os
import re
import subprocess
import time

_C_ENV = dict(os.environ, LC_ALL="C")


def _run(args, timeout=10):
    return subprocess.run(args, check=True, capture_output=True, text=True, env=_C_ENV,
                          timeout=timeout).stdout


def wait_until(pred, timeout=5.0, interval=0.05):
    """Polls pred() until it returns something true; returns that, or the last false value."""
    deadline = time.monotonic() + timeout
    while True:
        value = pred()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def sink_inputs():
    """Streams now playing into PulseAudio: a list of dicts with index, sink, corked, mute,
    volume (raw per channel) and props (application.name, media.name, ...)."""
    inputs = []
    current = None
    in_props = False
    for line in _run(["pactl", "list", "sink-inputs"]).splitlines():
        header = re.match(r"^Sink Input #(\d+)", line)
        if header:
            current = {"index": int(header.group(1)), "sink": None, "corked": False,
                       "mute": False, "volume": [], "props": {}}
            inputs.append(current)
            in_props = False
            continue
        if current is None:
            continue
        stripped = line.strip()
        if in_props:
            prop = re.match(r'^([\w.\-]+) = "(.*)"$', stripped)
            if prop:
                current["props"][prop.group(1)] = prop.group(2)
                continue
            in_props = False
        if stripped == "Properties:":
            in_props = True
        elif stripped.startswith("Sink:"):
            current["sink"] = stripped.split(":", 1)[1].strip()
        elif stripped.startswith("Corked:"):
            current["corked"] = stripped.endswith("yes")
        elif stripped.startswith("Mute:"):
            current["mute"] = stripped.endswith("yes")
        elif stripped.startswith("Volume:"):
            current["volume"] = [int(v) for v in re.findall(r":\s*(\d+)\s*/", stripped)]
    return inputs


def record_samples(seconds=1.0, rate=44100):
    """Records the test sink's monitor for SECONDS: 16-bit mono samples."""
    sink = os.environ.get("TESTDESK_SINK", "test_sink")
    wanted = int(seconds * rate) * 2
    proc = subprocess.Popen(["parec", "-d", sink + ".monitor", "--raw", "--format=s16le",
                             "--channels=1", "--rate=%d" % rate, "--latency-msec=20"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=_C_ENV)
    data = bytearray()
    try:
        fd = proc.stdout.fileno()
        deadline = time.monotonic() + seconds + 5
        while len(data) < wanted and time.monotonic() < deadline:
            chunk = os.read(fd, wanted - len(data))
            if not chunk:
                break
            data += chunk
    finally:
        proc.kill()
        proc.wait()
        proc.stdout.close()
    samples = array.array("h")
    samples.frombytes(bytes(data[:len(data) // 2 * 2]))
    return samples


def record_sink(seconds=1.0, rate=44100):
    """Records the test sink's monitor for SECONDS; returns (rms, peak), both 0..1 (0 = silence)."""
    samples = record_samples(seconds, rate)
    if not samples:
        return 0.0, 0.0
    peak = max(abs(s) for s in samples) / 32768.0
    rms = math.sqrt(sum(s * s for s in samples) / len(samples)) / 32768.0
    return rms, peak


def sink_volume():
    """The test sink's volume as raw PulseAudio values per channel (65536 = 100 %)."""
    sink = os.environ.get("TESTDESK_SINK", "test_sink")
    out = _run(["pactl", "get-sink-volume", sink])
    return [int(v) for v in re.findall(r":\s*(\d+)\s*/", out)]


def tray_panel():
    """Window id of trayer's "panel" window from `xwininfo -root -tree`, or None."""
    for line in _run(["xwininfo", "-root", "-tree"]).splitlines():
        match = re.match(r'^\s*(0x[0-9a-f]+) "panel":', line)
        if match:
            return match.group(1)
    return None


def tray_icons():
    """Icon windows embedded in trayer's panel: a list of (window id, name) pairs."""
    icons = []
    panel_indent = socket_indent = icon_indent = None
    for line in _run(["xwininfo", "-root", "-tree"]).splitlines():
        match = re.match(r'^(\s*)(0x[0-9a-f]+) (?:\(has no name\)|"(.*)"):', line)
        if not match:
            continue
        indent = len(match.group(1))
        if panel_indent is None:
            if match.group(3) == "panel":
                panel_indent = indent
            continue
        if indent <= panel_indent:
            break
        # trayer wraps each client in a socket window; the client's own window sits below it.
        if socket_indent is None:
            socket_indent = indent
        elif indent > socket_indent and icon_indent is None:
            icon_indent = indent
        if indent == icon_indent:
            icons.append((match.group(2), match.group(3) or ""))
    return icons


def tray_icon_count():
    """How many icons are embedded in trayer's panel."""
    return len(tray_icons())


def logind_calls():
    """Calls the fake logind received, one string each, e.g. "PowerOff true"."""
    with open(os.environ["TESTDESK_LOGIND_LOG"], encoding="utf-8") as log:
        return [line.rstrip("\n") for line in log if line.strip()]


def handler_calls(name):
    """Argument lists the recording handler NAME ("document" or "mailto") was called with."""
    path = os.path.join(os.environ["TESTDESK_RECORD_DIR"], name + ".log")
    try:
        with open(path, encoding="utf-8") as log:
            return [json.loads(line) for line in log if line.strip()]
    except FileNotFoundError:
        return []


def screenshot(path):
    """Saves the whole virtual screen to PATH (PNG by extension) with ImageMagick's import."""
    _run(["import", "-window", "root", path], timeout=30)
    return path
