#!/usr/bin/python3
"""Measures Wakemere beside a minimal Qt Widgets program; run by bench/run.sh inside
scripts/testdesk/testdesk --x --wm --tray --pulse --xdg.

Prints, as medians over several runs: start-up time (exec to main window drawn, to first clock
tick), memory (RSS, PSS) after 10 s idle, CPU time and wake-ups per minute while shown and
while hidden in the tray, alarm latency (due second to alarm window drawn, to sound at the
sink; Close to silence there), and memory after many alarms. Both programs log wall-clock
moments through their timing category (QT_LOGGING_RULES); the script sets them against its own
clock taken at exec.
"""

import argparse
import datetime
import glob
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402

FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
RULES = "wakemere.timing=true;minimal.timing=true"
DAY = 86400
SILENCE = 64            # sample magnitude (of 32768) above which the sink is not silent
RATE = 44100


def now_ms():
    return time.time() * 1000.0


def run(*args, timeout=30):
    return subprocess.run(args, check=True, capture_output=True, text=True,
                          timeout=timeout).stdout


class Program:
    """One run of a program with its timing log in a file; stopped by stop() or on exit."""

    def __init__(self, path, title, workdir, env=None):
        self.title = title
        self.log_path = tempfile.mktemp(prefix="timing-", dir=workdir)
        environment = dict(os.environ, QT_LOGGING_RULES=RULES, TZ="UTC")
        environment.update(env or {})
        log = open(self.log_path, "w")
        self.exec_ms = now_ms()
        self.proc = subprocess.Popen([path], stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=subprocess.STDOUT, env=environment)
        log.close()

    @property
    def pid(self):
        return self.proc.pid

    def marks(self, name):
        """Wall-clock ms of every "timing NAME <ms>" line so far."""
        with open(self.log_path, errors="replace") as log:
            return [float(m.group(1)) for m in
                    re.finditer(r"timing %s (\d+)" % re.escape(name), log.read())]

    def mark(self, name, timeout=5.0):
        found = lib.wait_until(lambda: self.marks(name), timeout=timeout, interval=0.01)
        return found[0] if found else None

    def main_window(self):
        """X id of the main window: the program's visible window wider than an icon."""
        try:
            out = run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.pid),
                      "--name", "^%s$" % re.escape(self.title))
        except subprocess.CalledProcessError:
            return None
        for wid in out.split():
            geometry = run("xdotool", "getwindowgeometry", wid)
            size = re.search(r"Geometry: (\d+)x(\d+)", geometry)
            if size and int(size.group(1)) > 100:
                return wid
        return None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def memory(pid):
    """RSS and PSS in KiB from /proc/PID/smaps_rollup."""
    values = {}
    with open("/proc/%d/smaps_rollup" % pid) as rollup:
        for line in rollup:
            field = re.match(r"^(Rss|Pss):\s+(\d+) kB", line)
            if field:
                values[field.group(1)] = int(field.group(2))
    return values["Rss"], values["Pss"]


def activity(pid):
    """CPU time (ns, from schedstat) and context switches summed over the process's threads."""
    cpu = switches = 0
    for task in glob.glob("/proc/%d/task/*" % pid):
        try:
            with open(task + "/schedstat") as stat:
                cpu += int(stat.read().split()[0])
            with open(task + "/status") as status:
                for line in status:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass    # a thread that ended meanwhile
    return cpu, switches


def per_minute(pids, intervals, seconds):
    """CPU ms and wake-ups per minute of each process, for each of INTERVALS back-to-back
    intervals of SECONDS: {pid: ([cpu, ...], [wake-ups, ...])}."""
    rates = {pid: ([], []) for pid in pids}
    before = {pid: activity(pid) for pid in pids}
    for _ in range(intervals):
        time.sleep(seconds)
        for pid in pids:
            cpu, switches = activity(pid)
            rates[pid][0].append((cpu - before[pid][0]) / 1e6 * 60.0 / seconds)
            rates[pid][1].append((switches - before[pid][1]) * 60.0 / seconds)
            before[pid] = (cpu, switches)
    return rates


def keys(wid, *names):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "key", "--clearmodifiers", "--delay", "40", *names)


def type_text(wid, text):
    run("xdotool", "windowactivate", "--sync", wid)
    run("xdotool", "type", "--delay", "40", text)


def window_titled(pid, title, timeout):
    def find():
        try:
            return run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                       "--name", "^%s$" % re.escape(title)).split()
        except subprocess.CalledProcessError:
            return []
    found = lib.wait_until(find, timeout=timeout)
    return found[0] if found else None


def arm(program, due):
    """Arms Alarm1 from the keyboard for the wall-clock second DUE (UTC), "Play Sound" with no
    file, and answers the box that says no file was chosen."""
    when = datetime.datetime.fromtimestamp(due, datetime.timezone.utc)
    hour = when.hour % 12 or 12
    wid = program.main_window()
    if not wid:
        raise RuntimeError("no main window")
    # Focus starts in the alarm list; Tab selects each box's text, so typing replaces it.
    keys(wid, "Tab")
    type_text(wid, str(hour))
    keys(wid, "Tab")
    type_text(wid, str(when.minute))
    keys(wid, "Tab")
    type_text(wid, str(when.second))
    if when.hour >= 12:
        keys(wid, "Tab", "Down")    # from AM to PM
    keys(wid, "alt+a")
    error = window_titled(program.pid, "Error", timeout=3)
    if not error:
        raise RuntimeError("no box saying that no file was chosen")
    # A key sent while the box is still taking the focus is lost: try again until it goes.
    for _ in range(5):
        keys(error, "Return")
        if lib.wait_until(lambda: not window_titled(program.pid, "Error", timeout=0), 0.5):
            return
    raise RuntimeError("the box saying that no file was chosen stayed")


class SinkListener:
    """Reads the test sink's monitor from now on and notes when the first sound arrived there.

    The time is that of the read that brought the first audible sample: the server mixed it at
    most that long before. Measured with paplay at 10 ms latency, this reads 5 to 16 ms after
    exec. (Counting back from the end of the read is wrong: the sink renders ahead in blocks.)
    """

    def __init__(self):
        sink = os.environ.get("TESTDESK_SINK", "test_sink")
        self.onset_ms = None
        self.loud_ms = []   # arrival of every read that held sound
        self.done = False
        self.proc = subprocess.Popen(
            ["parec", "-d", sink + ".monitor", "--raw", "--format=s16le", "--channels=1",
             "--rate=%d" % RATE, "--latency-msec=10"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        pending = b""
        while not self.done:
            chunk = os.read(fd, 512)
            arrived = now_ms()
            if not chunk:
                return
            data = pending + chunk
            whole = len(data) // 2 * 2
            pending = data[whole:]
            if any(abs(sample) > SILENCE for sample in memoryview(data[:whole]).cast("h")):
                self.loud_ms.append(arrived)
                if self.onset_ms is None:
                    self.onset_ms = arrived

    def sound_after(self, moment):
        """Milliseconds the sink still sounded after MOMENT, or None if it was silent then (the
        alarm tone beeps, with pauses of 80 ms)."""
        loud = list(self.loud_ms)
        if not any(moment - 20 <= t <= moment for t in loud):
            return None
        return max(0.0, max(loud) - moment)

    def stop(self):
        self.done = True
        self.proc.kill()
        self.proc.wait()
        self.proc.stdout.close()
        self.thread.join(timeout=2)


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def fmt(value, digits=0):
    if value is None:
        return "-"
    return "%.*f" % (digits, value)


class Bench:
    def __init__(self, options):
        self.o = options
        self.workdir = tempfile.mkdtemp(prefix="bench-", dir=os.environ.get("TESTDESK_DIR"))
        self.programs = {"wakemere": (options.wakemere, "Wakemere"),
                         "minimal": (options.minimal, "Minimal")}
        self.rows = []

    def start(self, name, env=None):
        path, title = self.programs[name]
        return Program(path, title, self.workdir, env)

    def row(self, figure, ours, floor=None, digits=0):
        self.rows.append((figure, fmt(ours, digits), fmt(floor, digits)))
        print("  %-58s %10s %10s" % self.rows[-1], flush=True)

    def startup(self):
        """Each program alone; the first runs wait to measure memory after a while idle."""
        print("start-up, %d runs each; memory %d s after start in the first %d"
              % (self.o.runs, self.o.settle, self.o.memory_runs), flush=True)
        names = list(self.programs)
        f = {name: {"main": [], "shown": [], "tick": [], "rss": [], "pss": []} for name in names}
        for i in range(self.o.runs):
            for name in (names if i % 2 == 0 else reversed(names)):
                program = self.start(name)
                try:
                    entered = program.mark("main")
                    drawn = program.mark("main-shown")
                    ticked = program.mark("first-tick", timeout=3)
                    if i < self.o.memory_runs:
                        time.sleep(max(0.0, self.o.settle - (now_ms() - program.exec_ms) / 1000))
                        rss, pss = memory(program.pid)
                        f[name]["rss"].append(rss / 1024)
                        f[name]["pss"].append(pss / 1024)
                finally:
                    program.stop()
                f[name]["main"].append(entered and entered - program.exec_ms)
                f[name]["shown"].append(drawn and drawn - program.exec_ms)
                f[name]["tick"].append(ticked and ticked - program.exec_ms)
                time.sleep(0.3)
        w, m = f["wakemere"], f["minimal"]
        self.row("start-up: exec to main() (ms)", median(w["main"]), median(m["main"]))
        self.row("start-up: exec to main window drawn (ms)", median(w["shown"]),
                 median(m["shown"]))
        self.row("start-up: exec to first clock tick (ms)", median(w["tick"]), median(m["tick"]))
        self.row("memory %d s after start: RSS (MiB)" % self.o.settle, median(w["rss"]),
                 median(m["rss"]), 1)
        self.row("memory %d s after start: PSS (MiB)" % self.o.settle, median(w["pss"]),
                 median(m["pss"]), 1)

    def idle(self):
        """Both programs at once, Wakemere started last so that it has the focus (and a text
        cursor); rates are medians over 10 s intervals, scaled to a minute."""
        intervals = (self.o.shown, self.o.hidden)
        print("idle: %d s shown, then %d s hidden in the tray, in %d s intervals"
              % (intervals[0] * self.o.interval, intervals[1] * self.o.interval,
                 self.o.interval), flush=True)
        programs = {}
        try:
            for name in ("minimal", "wakemere"):
                programs[name] = self.start(name)
                programs[name].mark("main-shown")
            # Past the time the text cursor blinks without input.
            time.sleep(max(0.0, self.o.settle + 2 - (now_ms() - programs["wakemere"].exec_ms)
                           / 1000))
            pids = [p.pid for p in programs.values()]
            shown = per_minute(pids, intervals[0], self.o.interval)
            for name, program in programs.items():
                run("xdotool", "windowminimize", "--sync", program.main_window())
                if not lib.wait_until(lambda: not program.main_window(), timeout=3):
                    print("  %s: main window not hidden in the tray" % name)
            time.sleep(2)
            paints = len(programs["wakemere"].marks("paint-unexposed"))
            hidden = per_minute(pids, intervals[1], self.o.interval)
            paints = len(programs["wakemere"].marks("paint-unexposed")) - paints
        finally:
            for program in programs.values():
                program.stop()
        w, m = programs["wakemere"].pid, programs["minimal"].pid
        self.row("shown: CPU (ms per minute)", median(shown[w][0]), median(shown[m][0]), 1)
        self.row("shown: wake-ups per minute", median(shown[w][1]), median(shown[m][1]))
        self.row("hidden in the tray: CPU (ms per minute)", median(hidden[w][0]),
                 median(hidden[m][0]), 1)
        self.row("hidden in the tray: wake-ups per minute", median(hidden[w][1]),
                 median(hidden[m][1]))
        self.row("hidden in the tray: paints of hidden windows", paints)

    def latency(self):
        """Fresh program each time, so every alarm is the first: the sound is set up then."""
        print("alarm latency, %d alarms" % self.o.alarms, flush=True)
        tick, window, sound, silence = [], [], [], []
        for _ in range(self.o.alarms):
            program = self.start("wakemere")
            listener = None
            try:
                program.mark("first-tick", timeout=3)
                due = int(time.time()) + self.o.lead
                arm(program, due)
                if time.time() > due - 0.5:
                    print("  arming took too long; alarm skipped")
                    continue
                listener = SinkListener()
                shown = program.mark("alarm-shown", timeout=due - time.time() + 3)
                lib.wait_until(lambda: listener.onset_ms, timeout=max(0, due - time.time()) + 3,
                               interval=0.01)
                due_ms = due * 1000.0
                fired = program.marks("alarm-tick")
                tick.append(fired[0] - due_ms if fired else None)
                window.append(shown - due_ms if shown else None)
                sound.append(listener.onset_ms - due_ms if listener.onset_ms else None)
                # Close while the tone sounds: the program marks the key's release.
                alarm = window_titled(program.pid, "ALARM!", timeout=2)
                if alarm and listener.onset_ms:
                    keys(alarm, "Tab", "space")
                    closed = program.mark("alarm-close", timeout=3)
                    time.sleep(1.0)
                    silence.append(listener.sound_after(closed) if closed else None)
                if not shown or not listener.onset_ms:
                    print("  alarm at %d: window %s, sound %s"
                          % (due, fmt(window[-1]), fmt(sound[-1])))
                    if self.o.verbose:
                        shot = os.path.join(tempfile.gettempdir(), "bench-alarm-%d.png" % due)
                        print("  screenshot: %s" % lib.screenshot(shot))
            finally:
                if listener:
                    listener.stop()
                program.stop()
                if self.o.verbose:
                    with open(program.log_path) as log:
                        print(log.read())
        print("  each (ms): window %s; sound %s; sound after Close %s"
              % (" ".join(fmt(v) for v in window), " ".join(fmt(v) for v in sound),
                 " ".join(fmt(v) for v in silence)))
        self.row("alarm: due second to clock tick (ms)", median(tick))
        self.row("alarm: due second to alarm window drawn (ms)", median(window))
        self.row("alarm: due second to sound at the sink (ms)", median(sound))
        self.row("alarm: Close to silence at the sink (ms)", median(silence))

    def days(self):
        """One alarm a day for many days: the fake clock jumps a day ahead after each alarm."""
        print("memory over %d alarms, one a simulated day" % self.o.day_alarms, flush=True)
        clock = os.path.join(self.workdir, "faketime")
        with open(clock, "w") as f:
            f.write("+0\n")
        program = self.start("wakemere", {
            "LD_PRELOAD": FAKETIME, "FAKETIME_TIMESTAMP_FILE": clock, "FAKETIME_NO_CACHE": "1",
            "FAKETIME_DONT_FAKE_MONOTONIC": "1"})
        try:
            program.mark("first-tick", timeout=3)
            due = int(time.time()) + self.o.lead
            arm(program, due)
            program.mark("alarm-shown", timeout=due - time.time() + 3)
            time.sleep(max(0.0, due + 3 - time.time()))
            first = memory(program.pid)
            start = due + 3
            # Alarm k falls due at real second start + k, with the clock k days ahead.
            series = []
            for k in range(1, self.o.day_alarms):
                time.sleep(max(0.0, start + k - 0.5 - time.time()))
                with open(clock + ".new", "w") as f:
                    f.write("+%d\n" % (k * DAY - (start + k - due)))
                os.replace(clock + ".new", clock)
                if k % 10 == 0:
                    series.append(memory(program.pid)[0] / 1024)
            time.sleep(max(0.0, start + self.o.day_alarms + 2 - time.time()))
            last = memory(program.pid)
            fired = len(program.marks("alarm-due"))
            windows = len(program.marks("alarm-shown"))
        finally:
            program.stop()
        self.row("memory after the first alarm: RSS / PSS (MiB)",
                 first[0] / 1024, None, 1)
        self.rows[-1] = (self.rows[-1][0], "%.1f / %.1f" % (first[0] / 1024, first[1] / 1024),
                         "-")
        self.row("memory after %d alarms on %d days: RSS / PSS (MiB)" % (fired, fired),
                 last[0] / 1024, None, 1)
        self.rows[-1] = (self.rows[-1][0], "%.1f / %.1f" % (last[0] / 1024, last[1] / 1024),
                         "-")
        print("  alarms fired %d, alarm windows drawn %d; RSS every 10 alarms (MiB): %s"
              % (fired, windows, " ".join("%.1f" % v for v in series)))

    def table(self):
        print()
        print("| figure | Wakemere | minimal Qt window |")
        print("|---|---:|---:|")
        for figure, ours, floor in self.rows:
            print("| %s | %s | %s |" % (figure, ours, floor))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wakemere", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--quick", action="store_true",
                        help="one run of each, short idle: a smoke test of the script")
    parser.add_argument("--runs", type=int, default=7, help="start-up runs per program")
    parser.add_argument("--memory-runs", type=int, default=3,
                        help="start-up runs that also measure memory")
    parser.add_argument("--settle", type=int, default=10, help="seconds idle before memory")
    parser.add_argument("--interval", type=int, default=10, help="seconds per idle interval")
    parser.add_argument("--shown", type=int, default=3, help="intervals measured while shown")
    parser.add_argument("--hidden", type=int, default=6, help="intervals measured while hidden")
    parser.add_argument("--alarms", type=int, default=10, help="alarms for the latency")
    parser.add_argument("--day-alarms", type=int, default=20, help="alarms for the memory")
    parser.add_argument("--lead", type=int, default=5, help="seconds from arming to the alarm")
    parser.add_argument("--verbose", action="store_true",
                        help="print each alarm run's timing log; screenshot a missed alarm")
    parser.add_argument("--only", default="startup,idle,latency,days",
                        help="comma-separated parts to run (startup, idle, latency, days)")
    options = parser.parse_args()
    if options.quick:
        options.runs = options.memory_runs = options.alarms = options.shown = 1
        options.hidden = 1
        options.settle, options.interval, options.day_alarms = 3, 3, 3

    bench = Bench(options)
    started = time.monotonic()
    for part in options.only.split(","):
        getattr(bench, part.strip())()
    bench.table()
    print("\n(%.0f s; wake-ups: voluntary and involuntary context switches of all threads;"
          " CPU: schedstat run time of all threads)" % (time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
