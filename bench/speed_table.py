#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns the output folder of bench/speed_table.sh into Markdown: one row a
benchmark case (its sides' times, the ratios, the runs it took, the level of
vector instructions it ran at and the load around its program), then the
lines of the whole-process measures (first_frame.py, cli_stream.py) as they
printed them.

  bench/speed_table.py OUT_DIR
"""

import json
import pathlib
import re
import sys


def loads(folder):
    """Program name -> 'before - after' one-minute load averages."""
    result, name = {}, None
    path = folder / "loads.txt"
    for line in path.read_text().splitlines() if path.exists() else []:
        if line.startswith("=="):
            m = re.match(r"== bench_(\w+) .*load ([\d.]+)", line)
            name = m.group(1) if m else None
            if m:
                result[name] = m.group(2)
            continue
        m = re.match(r"\s+after: load ([\d.]+)", line)
        if m and name:
            result[name] += "–" + m.group(1)
    return result


def figures(bench):
    """The counters worth a column: times, ratios, sizes."""
    parts = []
    for key, value in bench.items():
        if not isinstance(value, (int, float)) or key in ("iterations", "repetitions",
                                                          "repetition_index", "threads",
                                                          "family_index",
                                                          "per_family_instance_index"):
            continue
        if key in ("real_time", "cpu_time"):
            parts.append("%s %.3g %s" % (key, value, bench.get("time_unit", "")))
        elif "ratio" in key or key.startswith("vs_"):
            parts.append("%s **%.2f**" % (key, value))
        else:
            parts.append("%s %.4g" % (key, value))
    return "; ".join(parts)


def main():
    folder = pathlib.Path(sys.argv[1])
    machine = (folder / "machine.txt").read_text().strip()
    print(machine.replace("\n", "  \n"))
    print()
    # Each row names the processor: its model and the flags our paths use.
    facts = dict(line.split(": ", 1) for line in machine.splitlines() if ": " in line)
    processor = "%s; %s" % (facts.get("processor", "?").split(",")[0],
                            facts.get("flags used", "").strip() or "no vector flags")
    around = loads(folder)
    print("| case | level | figures | runs | load | processor |")
    print("|---|---|---|---|---|---|")
    for path in sorted(folder.glob("*.json")):
        data = json.loads(path.read_text())
        for bench in data.get("benchmarks", []):
            if bench.get("run_type") == "aggregate" and bench.get("aggregate_name") != "median":
                continue
            if bench.get("run_type") == "iteration" and bench.get("repetitions", 1) > 1:
                continue
            # An aggregate's iterations are its repetitions.
            runs = bench.get("iterations", 0)
            print("| %s | %s | %s | %d | %s | %s |" % (bench["name"], bench.get("label", "") or "—",
                                                      figures(bench), runs,
                                                      around.get(path.stem, "?"), processor))
    for name in ("first_frame.txt", "cli_stream.txt"):
        processes = folder / name
        if processes.exists():
            print()
            print("```")
            print(processes.read_text().rstrip())
            print("```")


if __name__ == "__main__":
    main()
