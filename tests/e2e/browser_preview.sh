#!/usr/bin/env bash
# The page of "check in a browser", rendered by headless Chromium: the
# picture must load at its size and the map's areas must be the pane's.
set -euo pipefail
cli=$ZE_BINARY_DIR/tools/zer-evizi-cli
picture=$ZE_SOURCE_DIR/resources/sample.bmp
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "chromium is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config

# A pane with three areas, one of them with a quote and Japanese in its link.
"$cli" skeleton "$picture" --lower |
  "$cli" area rect 10,10 50,40 --href a.html --alt A |
  "$cli" area circle 100,60 110,60 --href '地図.html?a=1&b=2' |
  "$cli" area poly 5,100 60,150 5,150 --href poly.html > "$work/pane.txt"
"$cli" preview "$picture" < "$work/pane.txt" > "$work/page.html"

timeout 120 "$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile" \
  --dump-dom "file://$work/page.html" 2>"$work/chromium.log" > "$work/dom.html" || {
  echo "chromium failed:"; tail -20 "$work/chromium.log"; exit 1; }
actual=$(sed -n '/<pre id="ze-check"/,/<\/pre>/p' "$work/dom.html" |
  sed -e 's/<pre[^>]*>//' -e 's/<\/pre>.*//' -e 's/&amp;/\&/g')
expected='picture 240x160
area rect 10,10,50,40 a.html
area circle 100,60,10 地図.html?a=1&b=2
area poly 5,100,60,150,5,150 poly.html'
if [ "$actual" != "$expected" ]; then
  echo "the browser saw:"; printf '%s\n' "$actual"; echo "expected:"; printf '%s\n' "$expected"
  exit 1
fi
echo "ok: the browser shows the picture at 240x160 with the pane's three areas"
