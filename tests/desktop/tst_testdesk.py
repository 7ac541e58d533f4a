#!/usr/bin/python3
"""Self-test of the virtual test desktop (scripts/testdesk).

Run: /usr/bin/python3 tests/desktop/tst_testdesk.py
It brings up `testdesk --all`, proves each component works from inside, then checks from outside
that the harness passes the exit status on, tears down on failure and on signals, and leaves
no process behind. Ends with "N passed, N failed".
"""

import os
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TESTDESK = os.path.join(ROOT, "scripts", "testdesk", "testdesk")
PY = "/usr/bin/python3"
TRICKY_NAME = "a b $c;'d\".txt"
MAILTO = "mailto:someone@example.org"


def run(args, check=True, timeout=20, **kwargs):
    return subprocess.run(args, check=check, capture_output=True, text=True, timeout=timeout,
                          stdin=subprocess.DEVNULL, **kwargs)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


# ---- checks run inside `testdesk --all` ----

def check_private_environment(lib):
    d = os.environ["TESTDESK_DIR"]
    runtime = os.environ["XDG_RUNTIME_DIR"]
    expect(runtime.startswith(d + "/"), "XDG_RUNTIME_DIR outside the private folder")
    expect(os.stat(runtime).st_mode & 0o777 == 0o700, "XDG_RUNTIME_DIR is not 0700")
    for var in ("WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "AT_SPI_BUS_ADDRESS"):
        expect(var not in os.environ, var + " leaked into the test")
    for var in ("DBUS_SESSION_BUS_ADDRESS", "DBUS_SYSTEM_BUS_ADDRESS", "PULSE_SERVER"):
        expect(d in os.environ[var], var + " does not point into the private folder")


def check_session_bus_activates_nothing(lib):
    out = run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
               "/org/freedesktop/DBus", "org.freedesktop.DBus.ListActivatableNames"]).stdout
    names = [w.strip('"') for w in out.split() if w.startswith('"')]
    expect(names == ["org.freedesktop.DBus"], "activatable names: %r" % names)


def check_x_and_wm(lib):
    out = run(["xwininfo", "-root"]).stdout
    expect("Width: 1280" in out and "Height: 1024" in out, "root window is not 1280x1024")
    out = run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]).stdout
    expect("window id" in out, "no window manager: " + out.strip())


def check_tray_selection_owned(lib):
    owner = run([PY, os.path.join(os.environ["TESTDESK_LIBDIR"], "selection-owner.py"),
                 "_NET_SYSTEM_TRAY_S0"]).stdout.strip()
    expect(owner.startswith("0x"), "no owner of _NET_SYSTEM_TRAY_S0")
    expect(lib.tray_panel() is not None, "no trayer panel window")
    expect(lib.tray_icon_count() == 0, "icons in a fresh tray: %r" % lib.tray_icons())


def check_atspi(lib):
    out = run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
               "/org/a11y/bus", "org.freedesktop.DBus.Properties.Get",
               "string:org.a11y.Status", "string:IsEnabled"]).stdout
    expect("true" in out, "accessibility not enabled: " + out.strip())
    expect(os.environ.get("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") == "1", "Qt bridge not forced on")
    out = run([PY, "-c", "import pyatspi; print(pyatspi.Registry.getDesktop(0).name)"]).stdout
    expect(out.strip() == "main", "AT-SPI desktop answered %r" % out.strip())


def check_sound_reaches_sink(lib):
    sink = os.environ["TESTDESK_SINK"]
    expect(run(["pactl", "get-default-sink"]).stdout.strip() == sink, "test sink is not default")
    rms, _ = lib.record_sink(0.3)
    expect(rms == 0.0, "sink not silent before playing: rms %.4f" % rms)
    tone = os.path.join(os.environ["TESTDESK_DIR"], "tone.wav")
    run(["sox", "-n", "-r", "44100", "-c", "2", tone, "synth", "10", "sine", "440", "vol", "0.5"])
    player = subprocess.Popen(["paplay", tone], stdin=subprocess.DEVNULL)
    try:
        inputs = lib.wait_until(lib.sink_inputs, 5)
        expect(len(inputs) == 1 and inputs[0]["props"].get("application.name") == "paplay",
               "sink inputs while playing: %r" % inputs)
        heard = lib.wait_until(lambda: lib.record_sink(0.3)[1] > 0.4, 5)
        expect(heard, "tone not heard at the monitor")
        run(["pactl", "set-sink-volume", sink, "40%"])
        expect(lib.sink_volume() == [26214, 26214], "volume %r after 40 %%" % lib.sink_volume())
        # PulseAudio's volume is cubic: 40 % scales the amplitude by 0.064.
        quiet = lib.wait_until(lambda: 0.025 < lib.record_sink(0.3)[1] < 0.04, 5)
        expect(quiet, "40 %% did not scale the tone to about 0.032: %r" % (lib.record_sink(0.3),))
    finally:
        player.terminate()
        player.wait()
        run(["pactl", "set-sink-volume", sink, "100%"], check=False)
    expect(lib.wait_until(lambda: not lib.sink_inputs(), 5), "stream still listed after stop")
    expect(lib.wait_until(lambda: lib.record_sink(0.2)[1] == 0.0, 5), "not silent after stop")


def check_logind_records_calls(lib):
    expect(lib.logind_calls() == [], "logind log not empty at start")
    run(["dbus-send", "--system", "--print-reply", "--dest=org.freedesktop.login1",
         "/org/freedesktop/login1", "org.freedesktop.login1.Manager.PowerOff", "boolean:true"])
    run(["gdbus", "call", "--system", "--dest", "org.freedesktop.login1", "--object-path",
         "/org/freedesktop/login1", "--method", "org.freedesktop.login1.Manager.Reboot", "false"])
    calls = lib.logind_calls()
    expect(calls == ["PowerOff true", "Reboot false"], "logind calls: %r" % calls)
    out = run(["gdbus", "call", "--system", "--dest", "org.freedesktop.login1", "--object-path",
               "/org/freedesktop/login1", "--method",
               "org.freedesktop.login1.Manager.CanPowerOff"]).stdout
    expect(out.strip() == "('yes',)", "CanPowerOff answered " + out.strip())


def check_documents_reach_handler(lib):
    path = os.path.join(os.environ["TESTDESK_DIR"], TRICKY_NAME)
    with open(path, "w", encoding="utf-8") as f:
        f.write("some text\n")
    run(["xdg-open", path])
    expect(lib.handler_calls("document") == [[path]],
           "xdg-open PATH: %r" % lib.handler_calls("document"))
    # What QDesktopServices::openUrl hands to xdg-open: the percent-encoded file URL.
    run(["xdg-open", "file://" + urllib.parse.quote(path)])
    expect(lib.handler_calls("document")[1:] == [[path]],
           "xdg-open URL: %r" % lib.handler_calls("document"))
    run(["gio", "open", path])
    calls = lib.wait_until(lambda: lib.handler_calls("document")[2:], 5)
    expect(calls == [[path]], "gio open: %r" % calls)


def check_mailto_reaches_handler(lib):
    run(["xdg-open", MAILTO])
    expect(lib.handler_calls("mailto") == [[MAILTO]], "mailto: %r" % lib.handler_calls("mailto"))


def check_screenshot(lib):
    shot = lib.screenshot(os.path.join(os.environ["TESTDESK_DIR"], "screen.png"))
    size = run(["identify", "-format", "%wx%h", shot]).stdout
    expect(size == "1280x1024", "screenshot size " + size)


INNER_CHECKS = [
    check_private_environment,
    check_session_bus_activates_nothing,
    check_x_and_wm,
    check_tray_selection_owned,
    check_atspi,
    check_sound_reaches_sink,
    check_logind_records_calls,
    check_documents_reach_handler,
    check_mailto_reaches_handler,
    check_screenshot,
]


def descendants(pid):
    """PIDs of all live processes below PID."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        children.setdefault(int(fields[1]), []).append(int(entry))
    found = []
    todo = [pid]
    while todo:
        for child in children.get(todo.pop(), []):
            found.append(child)
            todo.append(child)
    return found


def inner():
    sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
    import lib  # pylint: disable=import-outside-toplevel
    pid_file = os.environ.get("TST_TESTDESK_PIDS")
    if pid_file:
        mine = set(descendants(os.getpid())) | {os.getpid()}
        with open(pid_file, "w") as f:
            f.write(" ".join(str(p) for p in descendants(os.getppid()) if p not in mine))
    failed = 0
    for check in INNER_CHECKS:
        try:
            check(lib)
            print("ok - " + check.__name__, flush=True)
        except Exception as error:  # pylint: disable=broad-except
            failed += 1
            detail = str(error) if isinstance(error, AssertionError) else traceback.format_exc()
            print("FAIL - %s: %s" % (check.__name__, detail.strip()), flush=True)
    return 1 if failed else 0


# ---- checks run from outside ----

def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            stat = f.read()
    except OSError:
        return False
    return stat[stat.rindex(")") + 2] != "Z"


def read_pids(path):
    with open(path) as f:
        return [int(p) for p in f.read().split()]


class Outer:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.scratch = tempfile.mkdtemp(prefix="tst_testdesk.")

    def result(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok - " + name, flush=True)
        else:
            self.failed += 1
            print("FAIL - %s: %s" % (name, detail), flush=True)

    def leftovers(self, pids):
        return [p for p in pids if alive(p)]

    def run_all(self):
        pid_file = os.path.join(self.scratch, "all.pids")
        env = dict(os.environ, TST_TESTDESK_PIDS=pid_file)
        proc = subprocess.run([TESTDESK, "--all", "--", PY, os.path.abspath(__file__), "--inner"],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True,
                              env=env, timeout=180)
        inner_failed = 0
        for line in proc.stdout.splitlines():
            print(line, flush=True)
            if line.startswith("ok - "):
                self.passed += 1
            elif line.startswith("FAIL - "):
                self.failed += 1
                inner_failed += 1
        if proc.returncode != 0 and inner_failed == 0:
            self.result("inner run", False, "exit status %d" % proc.returncode)
        pids = read_pids(pid_file) if os.path.exists(pid_file) else []
        self.result("all components were running", len(pids) >= 10, "pids %r" % pids)
        self.result("nothing left after --all", not self.leftovers(pids),
                    "alive: %r" % self.leftovers(pids))

    def exit_status_passes_through(self):
        proc = run([TESTDESK, "--", "sh", "-c", "exit 7"], check=False)
        self.result("exit status passes through", proc.returncode == 7,
                    "got %d" % proc.returncode)

    def failing_component_is_named(self):
        fake_bin = os.path.join(self.scratch, "bin")
        os.makedirs(fake_bin, exist_ok=True)
        pid_file = os.path.join(self.scratch, "fail.pids")
        fake = os.path.join(fake_bin, "pulseaudio")
        with open(fake, "w") as f:
            f.write("#!/bin/sh\npgrep -P $PPID > '%s'\necho 'no sound today' >&2\nexit 3\n"
                    % pid_file)
        os.chmod(fake, 0o755)
        env = dict(os.environ, PATH=fake_bin + ":" + os.environ["PATH"])
        proc = run([TESTDESK, "--x", "--pulse", "--", "true"], check=False, env=env)
        self.result("failing component stops the run", proc.returncode == 125,
                    "got %d" % proc.returncode)
        self.result("failing component is named with its log",
                    "pulse failed: exited with status 3" in proc.stderr
                    and "no sound today" in proc.stderr, proc.stderr.strip())
        pids = read_pids(pid_file) if os.path.exists(pid_file) else []
        self.result("nothing left after a failed start", pids and not self.leftovers(pids),
                    "pids %r, alive %r" % (pids, self.leftovers(pids)))

    def signal_tears_down(self, sig):
        name = signal.Signals(sig).name
        pid_file = os.path.join(self.scratch, name + ".pids")
        env = dict(os.environ, TST_TESTDESK_PIDS=pid_file)
        script = ("import os, sys, time\n"
                  "sys.path.insert(0, %r)\n"
                  "import tst_testdesk as t\n"
                  "pids = t.descendants(os.getppid())\n"
                  "open(os.environ['TST_TESTDESK_PIDS'] + '.tmp', 'w').write("
                  "' '.join(map(str, pids)))\n"
                  "os.rename(os.environ['TST_TESTDESK_PIDS'] + '.tmp',"
                  " os.environ['TST_TESTDESK_PIDS'])\n"
                  "time.sleep(60)\n" % os.path.dirname(os.path.abspath(__file__)))
        proc = subprocess.Popen([TESTDESK, "--x", "--pulse", "--logind", "--", PY, "-c", script],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True, env=env)
        deadline = time.monotonic() + 20
        while not os.path.exists(pid_file) and time.monotonic() < deadline \
                and proc.poll() is None:
            time.sleep(0.05)
        pids = read_pids(pid_file) if os.path.exists(pid_file) else []
        proc.send_signal(sig)
        try:
            _, err = proc.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            proc.kill()
            _, err = proc.communicate()
        self.result("SIG%s ends the run with 128+%d" % (name[3:], sig),
                    proc.returncode == 128 + sig, "got %d: %s" % (proc.returncode, err.strip()))
        self.result("nothing left after SIG" + name[3:], len(pids) >= 5
                    and not self.leftovers(pids),
                    "pids %r, alive %r" % (pids, self.leftovers(pids)))

    def main(self):
        self.run_all()
        self.exit_status_passes_through()
        self.failing_component_is_named()
        self.signal_tears_down(signal.SIGTERM)
        self.signal_tears_down(signal.SIGINT)
        subprocess.run(["rm", "-rf", self.scratch], check=False)
        print("%d passed, %d failed" % (self.passed, self.failed), flush=True)
        return 1 if self.failed else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--inner"]:
        sys.exit(inner())
    sys.exit(Outer().main())
