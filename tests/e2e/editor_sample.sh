#!/usr/bin/env bash
# Starts the editor on the bundled sample picture under Xvfb, as the run
# command does, and checks the window title and the skeleton in the pane
# (copied out through the clipboard).
set -euo pipefail
bin=$ZE_BINARY_DIR/shell/zer-evizi
sample=$ZE_SOURCE_DIR/resources/sample.bmp
if [ ! -x "$bin" ]; then
  echo "the editor is not built"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work
# libxkbcommon-x11 reads a counted, unterminated string with strndup, which
# strict string checks report at the X connection; our code is not involved.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0"

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The editor's window must be mapped after the window manager runs, or it
# may never be managed: wait for openbox to announce itself on the root.
for attempt in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
"$1" "$2" >"$3/editor.log" 2>&1 &
editor=$!
cleanup() { kill "$editor" "$wm" 2>/dev/null || true; }
trap cleanup EXIT
win=
for attempt in $(seq 1 100); do
  win=$(xdotool search --name '^sample\.bmp - Zer Evizi SEKKA$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
if [ -z "$win" ]; then
  echo "no editor window; its output:"
  cat "$3/editor.log"
  xdotool search --name 'Zer Evizi' getwindowname %@ || true
  exit 1
fi
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
# The pane is docked along the bottom, above the status bar.
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove --window "$win" 60 $((HEIGHT - 100)) click 1
  sleep 0.3
  xdotool key --window "$win" ctrl+a ctrl+c
  sleep 0.5
  if xclip -o -selection clipboard > "$3/pane.txt" 2>/dev/null && [ -s "$3/pane.txt" ]; then
    break
  fi
done
INNER

xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/run.sh" "$bin" "$sample" "$work"
expected='<img src="sample.bmp" width=240 height=160 usemap="#map_sample.bmp">
<map name="map_sample.bmp">
</map>'
actual=$(tr -d '\r' < "$work/pane.txt")
if [ "$actual" != "$expected" ]; then
  echo "pane text differs:"
  printf '%s\n' "$actual"
  cat "$work/editor.log"
  exit 1
fi
echo "ok: the sample's skeleton is in the pane"
