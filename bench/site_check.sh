#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes a site of 1,000 pages with maps (the test corpus's pages over and
# over, with their pictures), installs html-validate as
# bench/site_check/package.json pins it, and runs bench_site_check on it:
#   bench/site_check.sh BUILD_DIR [benchmark options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: bench/site_check.sh BUILD_DIR}" && pwd)
shift
npm_dir=$build/npm/site-check-bench
mkdir -p "$npm_dir"
cp "$top/bench/site_check/package.json" "$npm_dir/package.json"
if [ ! -f "$npm_dir/node_modules/html-validate/bin/html-validate.js" ]; then
  (cd "$npm_dir" && npm install --no-audit --no-fund --loglevel=error >/dev/null)
fi
site=$(mktemp -d)
trap 'rm -rf "$site"' EXIT
corpus=$top/tests/cli/site_corpus
mapfile -t pages < <(cd "$corpus" && find . -name '*.htm*' ! -name nomap.html | sort)
for ((i = 0; i < 1000; i++)); do
  page=${pages[i % ${#pages[@]}]}
  dir=$site/$(dirname "$page")/copy$((i / ${#pages[@]}))
  mkdir -p "$dir"
  cp "$corpus/$page" "$dir/$(basename "$page")"
done
# The pictures the pages name, at every depth the copies stand at.
while read -r path size; do
  for dir in "$site" "$site"/*/; do
    mkdir -p "$dir/$(dirname "$path")"
    convert -size "$size" 'xc:#c0d0e0' "$dir/$path"
  done
done <<'PICTURES'
images/navbar.gif 600x40
images/plan.png 200x200
images/world.gif 500x250
images/letters.gif 130x30
images/nav.gif 300x30
images/banner.jpg 468x60
PICTURES
echo '{"extends": ["html-validate:recommended"]}' >"$site/.htmlvalidate.json"
echo "site_check: $(find "$site" -name '*.htm*' ! -name '.*' | wc -l) pages in $site"
ZE_SITE=$site ZE_CLI=$build/cli/zer-evizi-cli \
  ZE_HTML_VALIDATE=$npm_dir/node_modules/html-validate/bin/html-validate.js \
  "$build/bench/bench_site_check" "$@"
