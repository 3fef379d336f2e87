#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Pages that hide a decoy image map where a browser never makes elements
# (a script's escaped part, CDATA and a map inside SVG), asked of headless
# Chromium and of zer-evizi-cli: extract must take the map the browser uses,
# check must find nothing in the decoy, and neither export nor the pages of
# the scaled look may run a handler or script of the page. The scaled pages
# must also run under their own policy: no style or script of theirs refused.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/browser_common.bash"
cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
[ -x "$cli" ] || { echo "not built: $cli"; exit 1; }
browser=$(browser_binary)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Without time stamps, the same bytes in every run (the browser's reading is
# kept between trees: scripts/browser-cache/chromium).
convert -size 240x160 'xc:#c0d0e0' -define png:exclude-chunk=date,time "$work/pic.png"
pwn="document.title='PWN'"
printf '<!DOCTYPE html>\n<title>exports</title>\n' >"$work/exports.html"

# Loads page $1 and writes its DOM to $2, the browser's log to $2.log.
dom() {
  DBUS_SESSION_BUS_ADDRESS=disabled: timeout 120 "$browser" --headless --no-sandbox \
    --disable-gpu --no-first-run --user-data-dir="$work/profile" --enable-logging=stderr \
    --v=0 --virtual-time-budget=3000 --dump-dom "file://$1" >"$2" 2>"$2.log" ||
    { echo "chromium failed on $1"; tail -5 "$2.log"; exit 1; }
}
# The title of a dumped DOM.
title() { sed -n 's/.*<title>\([^<]*\)<\/title>.*/\1/p' "$1" | head -n 1; }

real='<img src="pic.png" alt="P" usemap="#m">
<map name="m">
<area shape="rect" coords="0,0,20,20" href="real.html" alt="R">
</map>'
decoy="<img src=\"none.png\" usemap=\"#m\" onerror=\"$pwn\"><map name=\"m\"><area shape=\"rect\" coords=\"0,0,9,9\" href=\"decoy.html\"></map>"
cat >"$work/escaped.html" <<PAGE
<script><!--<script></script>$decoy</script>
$real
PAGE
cat >"$work/cdata.html" <<PAGE
<svg><![CDATA[ x > $decoy ]]></svg>
$real
PAGE
cat >"$work/foreign.html" <<PAGE
<img src="pic.png" alt="P" usemap="#m">
<svg><map name="m"><area shape="rect" coords="0,0,9,9" href="decoy.html"></map></svg>
<map name="m">
<area shape="rect" coords="0,0,20,20" href="real.html" alt="R">
</map>
PAGE
oracle='<script>onload = function () {
  var img = document.images[0], name = img.useMap.replace(/^#/, ""), out = [];
  var maps = document.getElementsByTagName("map");
  for (var i = 0; i < maps.length; i++)
    if (maps[i] instanceof HTMLMapElement && maps[i].name === name) {
      for (var k = 0; k < maps[i].areas.length; k++) out.push(maps[i].areas[k].getAttribute("href"));
      break;
    }
  var pre = document.createElement("pre");
  pre.id = "ze-results";
  pre.textContent = out.join(" ");
  document.body.appendChild(pre);
};</script>'

for name in escaped cdata foreign; do
  page=$work/$name.html
  { cat "$page"; printf '%s\n' "$oracle"; } >"$work/asked.html"
  dom "$work/asked.html" "$work/asked.dom"
  seen=$(sed -n 's/.*<pre id="ze-results">\([^<]*\)<\/pre>.*/\1/p' "$work/asked.dom")
  ours=$("$cli" extract "$page" | grep -o 'href="[^"]*"' | sed 's/href="\(.*\)"/\1/' | tr '\n' ' ')
  [ "$seen" = "real.html" ] || { echo "FAIL: $name: the browser's map holds '$seen'"; exit 1; }
  [ "${ours% }" = "$seen" ] ||
    { echo "FAIL: $name: extract took '${ours% }', the browser '$seen'"; exit 1; }
  status=0
  "$cli" check --disable target-size "$page" >"$work/check.txt" || status=$?
  [ $status -eq 0 ] && [ ! -s "$work/check.txt" ] ||
    { echo "FAIL: $name: check found"; cat "$work/check.txt"; exit 1; }
  for form in svg scaling-map; do
    "$cli" export --$form "$page" >"$work/export.txt"
    ! grep -q decoy "$work/export.txt" ||
      { echo "FAIL: $name: export --$form wrote the decoy"; cat "$work/export.txt"; exit 1; }
    cat "$work/export.txt" >>"$work/exports.html"
  done
done

# Handlers on the image and the areas, a script inside the map: exported and
# shown in the scaled look, none of them runs.
cat >"$work/pane.txt" <<PANE
<img src="none.png" alt="P" usemap="#m" onerror="$pwn" onload="$pwn">
<map name="m">
<area shape="rect" coords="10,10,50,40" href="a.html" alt="A" onfocus="$pwn">
<script>$pwn</script>
<area shape="circle" coords="100,60,10" href="c.html" alt="C">
</map>
PANE
for form in svg scaling-map; do
  "$cli" export --$form --picture "$work/pic.png" - <"$work/pane.txt" >>"$work/exports.html"
done
# Every export in one page: none may set the title.
dom "$work/exports.html" "$work/exports.dom"
[ "$(title "$work/exports.dom")" != PWN ] ||
  { echo "FAIL: an export ran a handler of the page"; cat "$work/exports.html"; exit 1; }
for form in svg scaling-map; do
  sed 's/none.png/pic.png/' "$work/pane.txt" | "$cli" preview "$work/pic.png" --$form 137 >"$work/look.html"
  dom "$work/look.html" "$work/look.dom"
  [ "$(title "$work/look.dom")" != PWN ] ||
    { echo "FAIL: the scaled look ($form) ran the pane's script"; exit 1; }
  if grep 'Content Security Policy' "$work/look.dom.log"; then
    echo "FAIL: the scaled look ($form) has a style or script its policy refuses"
    exit 1
  fi
done
# The scaling map's own script ran: the areas are at 137 %.
grep -q 'coords="13.7,13.7,68.5,54.8"' "$work/look.dom" ||
  { echo "FAIL: the scaling map's script did not scale the areas"; grep '<area' "$work/look.dom"; exit 1; }
echo "ok: decoys left to the browser's reading; no handler or script of the page ran"
