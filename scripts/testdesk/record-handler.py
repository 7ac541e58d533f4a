#!/usr/bin/python3
"""A stand-in desktop application that only records how it was called.

Installed by testdesk as bin/testdesk-NAME; each call appends its arguments as one JSON array
line to $TESTDESK_RECORD_DIR/NAME.log, so blanks, quotes and newlines stay visible and exact,
and the descriptors it was started with to NAME.fds, one call a line.
"""

import fcntl
import json
import os
import sys

PREFIX = "testdesk-"


def main():
    inherited = sorted(int(fd) for fd in os.listdir("/proc/self/fd"))
    name = os.path.basename(sys.argv[0])
    if name.startswith(PREFIX):
        name = name[len(PREFIX):]
    record_dir = os.environ.get("TESTDESK_RECORD_DIR")
    if not record_dir:
        # Launched by something that dropped the environment: records live beside bin/.
        record_dir = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                  "records")
    line = json.dumps(sys.argv[1:]) + "\n"
    with open(os.path.join(record_dir, name + ".log"), "a", encoding="utf-8") as log:
        fcntl.flock(log, fcntl.LOCK_EX)
        log.write(line)
    with open(os.path.join(record_dir, name + ".fds"), "a", encoding="utf-8") as fds:
        fds.write(" ".join(map(str, inherited)) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
