#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up to the first painted frame, and peak memory, of the editor against
a minimal Qt viewer (bench/viewer/minimal_viewer.cpp), each started as a
process with the same picture.

The viewer runs twice in each turn: as it is, and with --menu (a menu bar of
the editor's Japanese menu titles), which shows how much of the difference
is the set-up of fonts for any text at all. Both programs, run with
ZE_FIRST_PAINT set, print the monotonic clock once
their first paint of the picture has reached the window, and end. The time
counts from just before the process is spawned; peak memory is the child's
maximum resident set (getrusage through wait4). Editor and viewer run in
turn, after one warm-up run each, with the same display, a fresh settings
folder and a fresh runtime folder. Without DISPLAY an Xvfb of 1920x1080 is
started for the run.

  bench/first_frame.py --build build [--runs 7] [--case small ...]
                       [--setting General/FullColour=1 ...]

Cases: small (200x200 BMP), jpeg4000 (4000x3000 JPEG), bmp8000 (8000x8000
BMP), jpeg8000 (8000x8000 JPEG). Prints per case and peer the min and
median of both, the median of the ratios run by run, the ratio of the
medians, and the median peak memory of both.
"""

import argparse
import os
import random
import statistics
import struct
import subprocess
import sys
import tempfile
import time

CASES = {
    "small": ("bmp", 200, 200),
    "jpeg4000": ("jpg", 4000, 3000),
    "bmp8000": ("bmp", 8000, 8000),
    "jpeg8000": ("jpg", 8000, 8000),
}


def rows(width, height):
    """RGB rows, top row first: smooth bands with a little noise."""
    noise = 12345
    for y in range(height):
        row = bytearray(3 * width)
        for x in range(0, width, 8):
            noise = (noise * 1103515245 + 12345) & 0xFFFFFFFF
            n = noise >> 28
            c = bytes(((x // 16 + n) & 255, (y // 16 + (x ^ y) // 64) & 255, ((x + y) // 32) & 255))
            span = min(8, width - x)
            row[3 * x:3 * (x + span)] = c * span
        yield bytes(row)


def write_bmp(path, width, height):
    stride = (3 * width + 3) & ~3
    pad = b"\0" * (stride - 3 * width)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + stride * height, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, -height, 1, 24, 0, stride * height,
                            2835, 2835, 0, 0))
        for row in rows(width, height):
            bgr = bytearray(row)
            bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
            f.write(bytes(bgr) + pad)


def write_jpeg(path, width, height):
    ppm = path + ".ppm"
    with open(ppm, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        for row in rows(width, height):
            f.write(row)
    subprocess.run(["cjpeg", "-quality", "90", "-outfile", path, ppm], check=True)
    os.remove(ppm)


def run_once(command, env):
    """(milliseconds to the first paint, peak resident MB) of one run."""
    start = time.monotonic_ns()
    with tempfile.TemporaryFile() as errors:
        child = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=errors)
        out = child.stdout.read().decode(errors="replace")
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = status
        painted = [line.split()[1] for line in out.splitlines() if line.startswith("first-paint ")]
        if not painted:
            errors.seek(0)
            sys.exit("no first paint from %s (status %d):\n%s"
                     % (command[0], status, errors.read().decode(errors="replace")))
    return (int(painted[0]) - start) / 1e6, usage.ru_maxrss / 1024


def start_display():
    """An Xvfb of our own, once it takes connections: (process, DISPLAY).
    -noreset: a server that resets as its last client leaves refuses the
    next one for a moment."""
    first = random.randrange(100, 900)
    for number in range(first, first + 20):
        if os.path.exists("/tmp/.X%d-lock" % number):
            continue
        display = ":%d" % number
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten",
                                 "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        for _ in range(50):
            if xvfb.poll() is not None or subprocess.run(
                    ["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.1)
        if xvfb.poll() is None:
            return xvfb, display
    sys.exit("no Xvfb could be started")


def write_settings(folder, settings):
    groups = {}
    for setting in settings:
        key, _, value = setting.partition("=")
        group, _, name = key.rpartition("/")
        groups.setdefault(group or "General", []).append("%s=%s" % (name, value))
    os.makedirs(os.path.join(folder, "SEKKA"), exist_ok=True)
    with open(os.path.join(folder, "SEKKA", "Zer Evizi SEKKA.conf"), "w") as f:
        for group, lines in groups.items():
            f.write("[%s]\n%s\n\n" % (group, "\n".join(lines)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="the build folder")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--case", action="append", choices=sorted(CASES))
    parser.add_argument("--setting", action="append", default=[],
                        help="GROUP/KEY=VALUE for the editor's settings")
    args = parser.parse_args()
    editor = os.path.join(args.build, "shell", "zer-evizi")
    viewer = os.path.join(args.build, "bench", "minimal_viewer")
    for program in (editor, viewer):
        if not os.access(program, os.X_OK):
            sys.exit("missing %s: build zer-evizi and minimal_viewer" % program)

    xvfb = None
    with tempfile.TemporaryDirectory(prefix="ze-first-frame-") as work:
        env = dict(os.environ, ZE_FIRST_PAINT="1", XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"))
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        write_settings(env["XDG_CONFIG_HOME"], args.setting)
        if not env.get("DISPLAY") or env.get("QT_QPA_PLATFORM") == "offscreen":
            xvfb, env["DISPLAY"] = start_display()
            env.pop("QT_QPA_PLATFORM", None)
        try:
            print("case      peer          ours ms min/med   peer ms min/med   ratio runs/medians"
                  "   ours MB  peer MB  MB ratio")
            for name in args.case or list(CASES):
                suffix, width, height = CASES[name]
                picture = os.path.join(work, "%s.%s" % (name, suffix))
                (write_bmp if suffix == "bmp" else write_jpeg)(picture, width, height)
                peers = [("viewer", [viewer, picture]), ("viewer+menu", [viewer, "--menu", picture])]
                ours, theirs = [], {peer: [] for peer, _ in peers}
                for run in range(args.runs + 1):
                    a = run_once([editor, picture], env)
                    b = [run_once(command, env) for _, command in peers]
                    if run > 0:
                        ours.append(a)
                        for (peer, _), result in zip(peers, b):
                            theirs[peer].append(result)
                os.remove(picture)
                ms = lambda runs: [r[0] for r in runs]
                mb = lambda runs: statistics.median(r[1] for r in runs)
                for peer, _ in peers:
                    runs = theirs[peer]
                    ratios = [a / b for a, b in zip(ms(ours), ms(runs))]
                    print("%-9s %-12s %7.1f /%7.1f  %7.1f /%7.1f  %6.2f / %5.2f    %7.1f  %7.1f  %6.2f"
                          % (name, peer, min(ms(ours)), statistics.median(ms(ours)),
                             min(ms(runs)), statistics.median(ms(runs)),
                             statistics.median(ratios),
                             statistics.median(ms(ours)) / statistics.median(ms(runs)),
                             mb(ours), mb(runs), mb(ours) / mb(runs)))
                sys.stdout.flush()
        finally:
            if xvfb:
                xvfb.terminate()
                xvfb.wait()


if __name__ == "__main__":
    main()
