"""What the tests of the real program on the test desktop share: starting and stopping it, X
commands, and a runner that reports each test and ends with "N passed, N failed"."""

import os
import subprocess
import sys
import traceback

sys.path.insert(0, os.environ["TESTDESK_LIBDIR"])
import lib  # noqa: E402,F401 - re-exported for the tests

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else None


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True, timeout=30).stdout


class Program:
    """One run of the program, stopped at the end if the test did not end it."""

    def __init__(self, env=None):
        log = open(os.path.join(os.environ["TESTDESK_DIR"], "wakemere.log"), "a")
        self.proc = subprocess.Popen([PROGRAM], stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=subprocess.STDOUT, env=env)
        log.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def ended(self, timeout=10):
        try:
            return self.proc.wait(timeout=timeout) == 0
        except subprocess.TimeoutExpired:
            return False


def main(*tests):
    if not PROGRAM:
        print("usage: %s PATH-TO-WAKEMERE" % sys.argv[0], file=sys.stderr)
        return 2
    passed = failed = 0
    for test in tests:
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
