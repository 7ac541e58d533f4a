#!/usr/bin/python3
"""A stand-in desktop application, installed as bin/testdesk-NAME: appends its arguments as one
JSON line to NAME.log in the records folder, and the descriptors it inherited to NAME.fds."""

import json
import os
import sys

inherited = " ".join(sorted(os.listdir("/proc/self/fd"), key=int))
folder = os.environ["TESTDESK_RECORD_DIR"]
name = os.path.basename(sys.argv[0]).removeprefix("testdesk-")
with open(os.path.join(folder, name + ".log"), "a", encoding="utf-8") as log:
    log.write(json.dumps(sys.argv[1:]) + "\n")
with open(os.path.join(folder, name + ".fds"), "a", encoding="utf-8") as fds:
    fds.write(inherited + "\n")
