#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the whole speed table in one run: every benchmark of docs/speed.md
# against its peer, then the first frames and memory against the minimal
# viewer, and zer-evizi-cli ppm against djpeg, dwebp and netpbm. Niced, since the machine may be shared; prints the processor, its
# flags that our paths use, the load before and after each program, and one
# Markdown row a case (bench/speed_table.py), into OUT (default
# BUILD_DIR/speed-table-DATE/) as well.
#   bench/speed_table.sh [BUILD_DIR [OUT]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=${2:-$build/speed-table-$(date -u +%Y%m%dT%H%MZ)}
mkdir -p "$out"
cd "$out"

{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "processor: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
       "family $(sed -n 's/^cpu family[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
       "$(nproc) cores seen"
  echo "flags used: $(grep -m 1 -o -w -E 'ssse3|avx2|avx512f|avx512bw|avx512vbmi' /proc/cpuinfo |
                        tr '\n' ' ')"
} | tee machine.txt

load() { cut -d ' ' -f 1-3 /proc/loadavg; }

# program, filter: one JSON file a program, the load around it noted.
run() {
  local name=$1 filter=$2
  echo "== bench_$name ($filter), load $(load)" | tee -a loads.txt
  nice -n 10 "$build/bench/bench_$name" --benchmark_filter="$filter" \
    --benchmark_out="$name.json" --benchmark_out_format=json >"$name.txt" 2>&1 ||
    echo "bench_$name failed (see $out/$name.txt)" | tee -a loads.txt
  echo "   after: load $(load)" | tee -a loads.txt
}

run picture_save '.'
run qt_view_zoom '.'
run qt_view_paint 'AgainstShifting'
run picture_encode '.'
run region_trace 'TraceAgainstOpenCv'
run map_check 'AgainstOwnerMap'
run jpeg_full_colour '.'
run webp_avif_load '.'

echo "== first frames, load $(load)" | tee -a loads.txt
nice -n 10 python3 "$top/bench/first_frame.py" --build "$build" --runs 5 >first_frame.txt 2>&1 ||
  echo "first_frame.py failed (see $out/first_frame.txt)" | tee -a loads.txt
echo "   after: load $(load)" | tee -a loads.txt

echo "== zer-evizi-cli ppm against djpeg, dwebp and netpbm, load $(load)" | tee -a loads.txt
nice -n 10 python3 "$top/bench/cli_stream.py" --build "$build" --runs 7 >cli_stream.txt 2>&1 ||
  echo "cli_stream.py failed (see $out/cli_stream.txt)" | tee -a loads.txt
echo "   after: load $(load)" | tee -a loads.txt

python3 "$top/bench/speed_table.py" "$out" | tee table.md
