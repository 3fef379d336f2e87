#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The link dialog takes typing at once: a rectangle is drawn, the link is
# typed without a click and confirmed with Enter; a second one gets a double
# quote in its alternative text, which the line carries as &quot;.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
picture=$work/pic.bmp
marker_picture "$picture"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'pic\.bmp - Zer Evizi SEKKA'

# Waits for the dialog to show, types what is given as keys and text, and
# waits for it to close.
type_into_dialog() {
  local dialog='ﾘﾝｸの設定'
  find_window "$dialog" 10 >/dev/null ||
    fail "no link dialog"
  sleep 0.3
  xdotool type --delay 20 "$1"
  if [ $# -gt 1 ]; then xdotool key Tab; xdotool type --delay 20 "$2"; fi
  xdotool key Return
  until_true 10 bash -c '! xdotool search --onlyvisible --name "$0" >/dev/null 2>&1' \
    "$dialog" || fail "the link dialog stayed open"
}

drag 10,10 50,40
type_into_dialog typed.html
drag 60,10 90,40
type_into_dialog 'tv.html?a=1&amp;b=2' '24" monitor'
copy_pane "$work/pane.txt"
INNER

run_in_xvfb
expect_text '<img src="pic.bmp" width=160 height=120 alt="" usemap="#map_pic.bmp">
<map name="map_pic.bmp">
<area shape="rect" coords="10,10,50,40" alt="" href="typed.html">
<area shape="rect" coords="60,10,90,40" alt="24&quot; monitor" href="tv.html?a=1&amp;b=2">
</map>' "$work/pane.txt"
echo "ok: the link dialog takes typing at once; a double quote comes out as &quot;"
