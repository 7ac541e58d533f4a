#!/usr/bin/python3
"""Smoke test of the virtual test desktop (scripts/testdesk).

Run: /usr/bin/python3 tests/desktop/tst_testdesk.py
Brings up `testdesk --all`, proves from inside that each component the tests rely on works, and
checks from outside that teardown leaves no process behind. Ends with "N passed, N failed".
"""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TESTDESK = os.path.join(ROOT, "scripts", "testdesk", "testdesk")
PY = "/usr/bin/python3"


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=20,
                          stdin=subprocess.DEVNULL).stdout


def sink_hears_a_tone(lib):
    tone = os.path.join(os.environ["TESTDESK_DIR"], "tone.wav")
    run("sox", "-n", "-r", "44100", "-c", "2", tone, "synth", "10", "sine", "440", "vol", "0.5")
    player = subprocess.Popen(["paplay", tone], stdin=subprocess.DEVNULL)
    try:
        return lib.wait_until(lambda: lib.record_sink(0.3)[1] > 0.4, 5)
    finally:
        player.terminate()
        player.wait()


def tray_selection_owned(lib):
    owner = run(PY, os.path.join(os.environ["TESTDESK_LIBDIR"], "selection-owner.py"),
                "_NET_SYSTEM_TRAY_S0")
    return owner.startswith("0x") and lib.tray_panel() is not None


def logind_records_a_call(lib):
    run("gdbus", "call", "--system", "--dest", "org.freedesktop.login1", "--object-path",
        "/org/freedesktop/login1", "--method", "org.freedesktop.login1.Manager.Reboot", "true")
    return lib.logind_calls() == ["Reboot true"]


def handler_records_the_exact_path(lib):
    path = os.path.join(os.environ["TESTDESK_DIR"], "a b $c;'d\".txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write("some text\n")
    run("xdg-open", path)
    return lib.handler_calls("document") == [[path]]


def mailto_recorded(lib):
    run("xdg-open", "mailto:someone@example.org")
    return lib.handler_calls("mailto") == [["mailto:someone@example.org"]]


def processes():
    """{pid: (parent pid, state)} of every process."""
    rows = (line.split() for line in run("ps", "-e", "-o", "pid=,ppid=,stat=").splitlines())
    return {int(pid): (int(ppid), stat) for pid, ppid, stat in rows}


def descendants(pid, table):
    found, todo = [], [pid]
    while todo:
        parent = todo.pop()
        children = [child for child, (ppid, _) in table.items() if ppid == parent]
        found += children
        todo += children
    return found


def inner(pid_file):
    sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
    import lib  # pylint: disable=import-outside-toplevel
    table = processes()
    mine = set(descendants(os.getpid(), table)) | {os.getpid()}
    with open(pid_file, "w") as f:
        f.write(" ".join(str(p) for p in descendants(os.getppid(), table) if p not in mine))
    failed = 0
    for check in (sink_hears_a_tone, tray_selection_owned, logind_records_a_call,
                  handler_records_the_exact_path, mailto_recorded):
        try:
            ok = check(lib)
        except Exception as error:  # pylint: disable=broad-except
            ok = False
            print("  " + repr(error), flush=True)
        failed += not ok
        print("%s - %s" % ("ok" if ok else "FAIL", check.__name__), flush=True)
    return 1 if failed else 0


def outer():
    handle, pid_file = tempfile.mkstemp(prefix="tst_testdesk.")
    os.close(handle)
    proc = subprocess.run([TESTDESK, "--all", "--", PY, os.path.abspath(__file__), pid_file],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True, timeout=180)
    print(proc.stdout, end="", flush=True)
    passed = proc.stdout.count("ok - ")
    failed = max(proc.stdout.count("FAIL - "), int(proc.returncode != 0))
    with open(pid_file) as f:
        pids = [int(p) for p in f.read().split()]
    os.remove(pid_file)
    table = processes()
    left = [p for p in pids if p in table and not table[p][1].startswith("Z")]
    if len(pids) >= 10 and not left:
        passed += 1
        print("ok - teardown leaves no process", flush=True)
    else:
        failed += 1
        print("FAIL - teardown: pids %r, alive %r" % (pids, left), flush=True)
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(inner(sys.argv[1]) if len(sys.argv) > 1 else outer())
