#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""zer-evizi-cli ppm as a whole process against the formats' own tools
writing the same PPM: time and peak memory, the two run in turn.

Cases on a 4000x3000 picture (first_frame.py's smooth bands with noise):
  jpeg       ppm --full-colour p.jpg   against  djpeg -ppm p.jpg
  jpeg128    ppm p.jpg (128 colours)   against  djpeg -colors 128 -ppm p.jpg
  webp       ppm p.webp (lossy, q 80)  against  dwebp -ppm -o - p.webp
Both write to /dev/null; the time is the wall clock from spawning to the
reaping of the process, the memory its peak resident set (wait4). Before
the runs each pair's output is compared once, byte for byte.

  bench/cli_stream.py --build build [--runs 7] [--case NAME ...]
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from first_frame import rows, write_jpeg  # noqa: E402

WIDTH, HEIGHT = 4000, 3000


def write_webp(path):
    ppm = path + ".ppm"
    with open(ppm, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT))
        for row in rows(WIDTH, HEIGHT):
            f.write(row)
    subprocess.run(["cwebp", "-quiet", "-q", "80", ppm, "-o", path], check=True)
    os.remove(ppm)


def run_once(command):
    """(wall milliseconds, peak resident MB) of one run."""
    start = time.monotonic_ns()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    if status != 0:
        sys.exit("%s failed (status %d)" % (" ".join(command), status))
    return (time.monotonic_ns() - start) / 1e6, usage.ru_maxrss / 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="the build folder")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--case", action="append", choices=["jpeg", "jpeg128", "webp"])
    args = parser.parse_args()
    cli = os.path.join(args.build, "tools", "zer-evizi-cli", "zer-evizi-cli")
    if not os.access(cli, os.X_OK):
        sys.exit("missing %s: build zer-evizi-cli" % cli)
    with tempfile.TemporaryDirectory(prefix="ze-cli-stream-") as work:
        jpeg, webp = os.path.join(work, "p.jpg"), os.path.join(work, "p.webp")
        write_jpeg(jpeg, WIDTH, HEIGHT)
        write_webp(webp)
        cases = {
            "jpeg": ([cli, "ppm", "--full-colour", jpeg], ["djpeg", "-ppm", jpeg]),
            "jpeg128": ([cli, "ppm", jpeg], ["djpeg", "-colors", "128", "-ppm", jpeg]),
            "webp": ([cli, "ppm", webp], ["dwebp", "-quiet", "-ppm", "-o", "-", webp]),
        }
        print("case     ours ms min/med    peer ms min/med    ratio runs/medians"
              "   ours MB  peer MB  MB ratio  same bytes")
        for name in args.case or list(cases):
            ours, peer = cases[name]
            same = subprocess.run(ours, capture_output=True, check=True).stdout == \
                subprocess.run(peer, capture_output=True, check=True).stdout
            a, b = [], []
            for run in range(args.runs + 1):  # the first pair warms the caches
                pair = (run_once(ours), run_once(peer)) if run % 2 else \
                    tuple(reversed((run_once(peer), run_once(ours))))
                if run > 0:
                    a.append(pair[0])
                    b.append(pair[1])
            ms = lambda runs: [r[0] for r in runs]
            mb = lambda runs: statistics.median(r[1] for r in runs)
            ratios = [x / y for x, y in zip(ms(a), ms(b))]
            print("%-8s %7.1f /%7.1f   %7.1f /%7.1f   %6.2f / %5.2f     %7.1f  %7.1f  %6.2f    %s"
                  % (name, min(ms(a)), statistics.median(ms(a)), min(ms(b)),
                     statistics.median(ms(b)), statistics.median(ratios),
                     statistics.median(ms(a)) / statistics.median(ms(b)),
                     mb(a), mb(b), mb(a) / mb(b), "yes" if same else "NO"))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
