#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""zer-evizi-cli ppm and convert as whole processes against the formats' own
tools writing the same pixels: time and peak memory, the two run in turn.

Cases on a 4000x3000 picture (first_frame.py's smooth bands with noise):
  jpeg       ppm --full-colour p.jpg   against  djpeg -ppm p.jpg
  jpeg128    ppm p.jpg (128 colours)   against  djpeg -colors 128 -ppm p.jpg
  webp       ppm p.webp (lossy, q 80)  against  dwebp -ppm -o - p.webp
  bmp        convert p.jpg o.bmp       against  djpeg -bmp -outfile o.bmp p.jpg
  pngppm     ppm p.png                 against  pngtopnm p.png (netpbm, over libpng)
  bmpppm     ppm p.bmp                 against  bmptopnm p.bmp (netpbm)
With --before, the zer-evizi-cli of an earlier build (one that reads the
whole picture) is the peer of the pairs that go row by row now:
  jpg2png png2jpg png2bmp bmp2png bmp2jpg   convert p.X o.Y
p.png and p.bmp are p.jpg converted by ours (the BMP with 24 bits a pixel).
The ppm cases write to /dev/null, the convert cases a file in a temporary
folder (ours also syncs it and renames it into place); the time is the wall clock from spawning to the
reaping of the process, its processor time (user and system) and its peak
resident set as /usr/bin/time gives them. Before
the runs each pair's output is compared once, byte for byte (of a BMP, the
pixel rows: djpeg leaves the header's image size at 0; of the other files,
every byte).

  bench/cli_stream.py --build build [--before OLD-CLI] [--runs 7] [--case NAME ...]
"""

import argparse
import hashlib
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from first_frame import rows, write_jpeg  # noqa: E402

WIDTH, HEIGHT = 4000, 3000
PAIRS = ["jpg2png", "png2jpg", "png2bmp", "bmp2png", "bmp2jpg"]


def write_webp(path):
    ppm = path + ".ppm"
    with open(ppm, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT))
        for row in rows(WIDTH, HEIGHT):
            f.write(row)
    subprocess.run(["cwebp", "-quiet", "-q", "80", ppm, "-o", path], check=True)
    os.remove(ppm)


def output_digest(command):
    """SHA-256 of what the command writes, read a block at a time: this
    process must stay small, since a child's peak memory counts the size of
    the process it was started from."""
    digest = hashlib.sha256()
    child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    for block in iter(lambda: child.stdout.read(1 << 16), b""):
        digest.update(block)
    if child.wait() != 0:
        sys.exit("%s failed" % " ".join(command))
    return digest.digest()


def bmp_rows_digest(path):
    """SHA-256 of a BMP's pixel rows, from the offset its file header gives."""
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        header = f.read(14)
        f.seek(int.from_bytes(header[10:14], "little"))
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.digest()


def file_digest(path):
    """SHA-256 of a whole file."""
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.digest()


def same_output(ours, peer, files):
    """Whether the two commands give the same pixels: their standard output,
    or with `files` the file each writes (of djpeg's BMP, the rows)."""
    if not files:
        return output_digest(ours) == output_digest(peer)
    for command in (ours, peer):
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    digest = bmp_rows_digest if files[1].endswith("peer.bmp") else file_digest
    return digest(files[0]) == digest(files[1])


def run_once(command, work):
    """(wall milliseconds, peak resident MB, processor milliseconds) of one run.
    The command is started by /usr/bin/time, which reports its peak: a
    process's peak counts the size of the one it was started from, and
    /usr/bin/time is small where this one is not."""
    report = os.path.join(work, "time.txt")
    start = time.monotonic_ns()
    child = subprocess.Popen(["/usr/bin/time", "-f", "%M %U %S", "-o", report] + command,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if child.wait() != 0:
        sys.exit("%s failed" % " ".join(command))
    wall = (time.monotonic_ns() - start) / 1e6
    with open(report) as f:
        kb, user, system = f.read().split()[-3:]
    return wall, int(kb) / 1024, (float(user) + float(system)) * 1e3


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build", help="the build folder")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--before", help="an earlier zer-evizi-cli, the peer of the convert pairs")
    parser.add_argument("--case", action="append",
                        choices=["jpeg", "jpeg128", "webp", "bmp", "pngppm", "bmpppm"] + PAIRS)
    args = parser.parse_args()
    cli = os.path.join(args.build, "cli", "zer-evizi-cli")
    if not os.access(cli, os.X_OK):
        sys.exit("missing %s: build zer-evizi-cli" % cli)
    with tempfile.TemporaryDirectory(prefix="ze-cli-stream-") as work:
        path = lambda name: os.path.join(work, name)
        jpeg, webp, png, bmp = path("p.jpg"), path("p.webp"), path("p.png"), path("p.bmp")
        write_jpeg(jpeg, WIDTH, HEIGHT)
        write_webp(webp)
        for made in (png, bmp):
            subprocess.run([cli, "convert", jpeg, made], check=True)
        cases = {
            "jpeg": ([cli, "ppm", "--full-colour", jpeg], ["djpeg", "-ppm", jpeg]),
            "jpeg128": ([cli, "ppm", jpeg], ["djpeg", "-colors", "128", "-ppm", jpeg]),
            "webp": ([cli, "ppm", webp], ["dwebp", "-quiet", "-ppm", "-o", "-", webp]),
            "bmp": ([cli, "convert", jpeg, path("ours.bmp")],
                    ["djpeg", "-bmp", "-outfile", path("peer.bmp"), jpeg]),
            "pngppm": ([cli, "ppm", png], ["pngtopnm", png]),
            "bmpppm": ([cli, "ppm", bmp], ["bmptopnm", bmp]),
        }
        files = {"bmp": (path("ours.bmp"), path("peer.bmp"))}
        for pair in PAIRS if args.before else []:
            source, target = path("p." + pair[:3]), pair[4:]
            cases[pair] = ([cli, "convert", source, path("ours." + target)],
                           [args.before, "convert", source, path("before." + target)])
            files[pair] = (path("ours." + target), path("before." + target))
        print("case     ours ms min/med    peer ms min/med    ratio runs/medians"
              "   cpu ms ours/peer  cpu ratio   ours MB  peer MB  MB ratio  same bytes")
        for name in args.case or list(cases):
            if name not in cases:
                sys.exit("%s needs --before" % name)
            ours, peer = cases[name]
            same = same_output(ours, peer, files.get(name))
            a, b = [], []
            for run in range(args.runs + 1):  # the first pair warms the caches
                pair = (run_once(ours, work), run_once(peer, work)) if run % 2 else \
                    tuple(reversed((run_once(peer, work), run_once(ours, work))))
                if run > 0:
                    a.append(pair[0])
                    b.append(pair[1])
            ms = lambda runs: [r[0] for r in runs]
            mb = lambda runs: statistics.median(r[1] for r in runs)
            cpu = lambda runs: statistics.median(r[2] for r in runs)
            ratios = [x / y for x, y in zip(ms(a), ms(b))]
            print("%-8s %7.1f /%7.1f   %7.1f /%7.1f   %6.2f / %5.2f     %6.1f /%6.1f   %6.2f    "
                  "%7.1f  %7.1f  %6.2f    %s"
                  % (name, min(ms(a)), statistics.median(ms(a)), min(ms(b)),
                     statistics.median(ms(b)), statistics.median(ratios),
                     statistics.median(ms(a)) / statistics.median(ms(b)), cpu(a), cpu(b),
                     cpu(a) / cpu(b), mb(a), mb(b), mb(a) / mb(b), "yes" if same else "NO"))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
