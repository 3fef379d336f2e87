#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The page of "check in a browser", rendered by headless Chromium: the
# picture must load at its size and the map's areas must be the pane's. A
# script in the pane's markup must never run, nor keep the page's own script
# from running; neither may a script slipped into the page file afterwards.
set -euo pipefail
cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
picture=$ZE_SOURCE_DIR/resources/sample.bmp
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "chromium is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config

# Loads page $1 and compares what its own script reports with $2; fails when
# an element with the id ze-ran shows up (the mark of a foreign script).
expect_page() {
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --user-data-dir="$work/profile" \
    --enable-logging=stderr --v=0 --dump-dom "file://$1" 2>"$work/chromium.log" >"$work/dom.html" || {
    echo "chromium failed:"; tail -20 "$work/chromium.log"; exit 1; }
  local actual
  actual=$(sed -n '/<pre id="ze-check"/,/<\/pre>/p' "$work/dom.html" |
    sed -e 's/<pre[^>]*>//' -e 's/<\/pre>.*//' -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&amp;/\&/g')
  if [ "$actual" != "$2" ]; then
    echo "$1: the browser saw:"; printf '%s\n' "$actual"; echo "expected:"; printf '%s\n' "$2"
    exit 1
  fi
  if grep -q 'id="ze-ran"' "$work/dom.html"; then
    echo "$1: a script of the markup ran"; exit 1
  fi
}
# A script that marks the page when it runs, without the mark in its text.
mark='document.body.appendChild(document.createElement(document.body.tagName)).id=String.fromCharCode(122,101,45,114,97,110)'

# A pane with three areas, one of them with a quote and Japanese in its link.
"$cli" skeleton "$picture" --lower |
  "$cli" area rect 10,10 50,40 --href a.html --alt A |
  "$cli" area circle 100,60 110,60 --href '地図.html?a=1&b=2' |
  "$cli" area poly 5,100 60,150 5,150 --href poly.html > "$work/pane.txt"
"$cli" preview "$picture" < "$work/pane.txt" > "$work/page.html"
expect_page "$work/page.html" 'picture 240x160
area rect 10,10,50,40 a.html
area circle 100,60,10 地図.html?a=1&b=2
area poly 5,100,60,150,5,150 poly.html'
# The page's policy lets in its own style and script.
if grep 'Content Security Policy' "$work/chromium.log"; then exit 1; fi

# Scripts and handlers inside the map, and an area whose link closes its tag.
sed -e "s|^<area shape=\"circle\".*|<script>$mark</script><img src=x onerror=\"$mark\">\
<area shape=circle coords=\"1,2,3\" href='\"><script>$mark</script>' onmouseover=\"$mark\">|" \
  "$work/pane.txt" > "$work/scripts.txt"
"$cli" preview "$picture" < "$work/scripts.txt" > "$work/scripts.html"
expect_page "$work/scripts.html" "picture 240x160
area rect 10,10,50,40 a.html
area circle 1,2,3 \"><script>$mark</script>
area poly 5,100,60,150,5,150 poly.html"

# A script tag that never closes, after the map.
{ cat "$work/pane.txt"; printf '\n<script'; } > "$work/open.txt"
"$cli" preview "$picture" < "$work/open.txt" > "$work/open.html"
expect_page "$work/open.html" 'picture 240x160
area rect 10,10,50,40 a.html
area circle 100,60,10 地図.html?a=1&b=2
area poly 5,100,60,150,5,150 poly.html'

# Scripts added to the page file after it was made are not the page's own.
sed -e "s|</body>|<script>$mark</script><img src=x onerror=\"$mark\"></body>|" \
  "$work/page.html" > "$work/added.html"
grep -q "$mark" "$work/added.html"
expect_page "$work/added.html" 'picture 240x160
area rect 10,10,50,40 a.html
area circle 100,60,10 地図.html?a=1&b=2
area poly 5,100,60,150,5,150 poly.html'
echo "ok: the browser shows the picture at 240x160 with the pane's areas; no markup script ran"
