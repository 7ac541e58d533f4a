#!/usr/bin/python3
"""The virtual test desktop (scripts/testdesk) leaves no process behind.

Run: /usr/bin/python3 tests/desktop/tst_testdesk.py
Brings up `testdesk --all`, notes its processes from inside and checks from outside that
teardown ended them all. That each component works, the integration and e2e tests prove.
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
    """Inside the desktop: writes down the desktop's processes, all but this test's own."""
    table = processes()
    mine = set(descendants(os.getpid(), table)) | {os.getpid()}
    with open(pid_file, "w") as f:
        f.write(" ".join(str(p) for p in descendants(os.getppid(), table) if p not in mine))
    return 0


def outer():
    handle, pid_file = tempfile.mkstemp(prefix="tst_testdesk.")
    os.close(handle)
    proc = subprocess.run([TESTDESK, "--all", "--", PY, os.path.abspath(__file__), pid_file],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True, timeout=180)
    print(proc.stdout, end="", flush=True)
    with open(pid_file) as f:
        pids = [int(p) for p in f.read().split()]
    os.remove(pid_file)
    table = processes()
    left = [p for p in pids if p in table and not table[p][1].startswith("Z")]
    if proc.returncode == 0 and len(pids) >= 10 and not left:
        print("ok - teardown leaves no process", flush=True)
        return 0
    print("FAIL - teardown: exit %d, pids %r, alive %r" % (proc.returncode, pids, left), flush=True)
    return 1


if __name__ == "__main__":
    sys.exit(inner(sys.argv[1]) if len(sys.argv) > 1 else outer())
