#!/usr/bin/python3
"""Checks on the ELF files the project builds.

    elf_checks.py runpath BUILD_DIR      every ELF file in the build folder and in an
                                         installation made from it: no run-path entry is empty
                                         or relative (the loader reads those from the current
                                         folder)
    elf_checks.py planted PROGRAM PLANT  the program started from a folder holding PLANT
                                         (a library named like one it needs) does not load it
    elf_checks.py one-copy PROGRAM MODULE
                                         the backend module uses the program's platform
                                         interfaces instead of carrying a copy of its own
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def elf_files(top):
    for folder, _, names in os.walk(top):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            with open(path, "rb") as file:
                if file.read(4) == b"\x7fELF":
                    yield path


def bad_runpaths(path):
    """The run-path entries of an ELF file that are empty or relative."""
    dynamic = subprocess.run(["readelf", "-d", "-W", path], capture_output=True, text=True,
                             check=False).stdout
    bad = []
    for paths in re.findall(r"\((?:RUNPATH|RPATH)\)\s+Library r(?:un)?path: \[(.*)\]", dynamic):
        bad += [entry for entry in paths.split(":")
                if not entry.startswith(("/", "$ORIGIN", "${ORIGIN}"))]
    return bad


def runpath(build):
    with tempfile.TemporaryDirectory() as prefix:
        subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        files = list(elf_files(build)) + list(elf_files(prefix))
        failures = ["%s: %r" % (path, bad) for path in files for bad in [bad_runpaths(path)]
                    if bad]
    print("%d ELF files checked" % len(files))
    for failure in failures:
        print("empty or relative run-path entries in", failure)
    return 1 if failures else 0


def planted(program, plant):
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(plant, folder)
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        marker = os.path.join(folder, "plant-was-loaded")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
                   WAKEMERE_PLANT_MARKER=marker)
        proc = subprocess.Popen([program], cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        # The loader works before main: a planted library has been loaded, or refused to
        # link, long before the program has come up.
        time.sleep(2)
        running = proc.poll() is None
        if running:
            proc.send_signal(signal.SIGTERM)
        output = proc.communicate(timeout=10)[0]
        loaded = os.path.exists(marker)
    if loaded or not running:
        print("the planted %s was %s:\n%s" % (os.path.basename(plant),
                                              "loaded" if loaded else "in the way", output))
        return 1
    return 0


def one_copy(program, module):
    def defined(path, *options):
        return subprocess.run(["nm", "-C", "--defined-only", *options, path],
                              capture_output=True, text=True, check=False).stdout
    name = "SoundPlayer::staticMetaObject"
    # Any copy in the module, also one it keeps to itself; the program's must be exported.
    in_module = re.search(r"\s%s$" % re.escape(name), defined(module), re.M)
    in_program = re.search(r"\s%s$" % re.escape(name), defined(program, "-D"), re.M)
    if in_module or not in_program:
        print("%s: module %s, program %s" % (name, "defines it" if in_module else "-",
                                             "exports it" if in_program else "does not"))
        return 1
    return 0


def main():
    checks = {"runpath": (runpath, 1), "planted": (planted, 2), "one-copy": (one_copy, 2)}
    if len(sys.argv) < 2 or sys.argv[1] not in checks or len(sys.argv) != 2 + checks[sys.argv[1]][1]:
        print(__doc__, file=sys.stderr)
        return 2
    return checks[sys.argv[1]][0](*sys.argv[2:])


if __name__ == "__main__":
    sys.exit(main())
