# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the transfer_*.sh end-to-end tests (sourced, not a test itself).
# Each test runs under its own Xvfb server with its own settings folder.
set -euo pipefail

: "${ZE_BINARY_DIR:?set by CTest}"
: "${ZE_SOURCE_DIR:?set by CTest}"
CLI=$ZE_BINARY_DIR/cli/zer-evizi-cli
RECEIVER=$ZE_BINARY_DIR/cli/sibling-receiver

# The calling script runs again under a fresh virtual X server. -noreset:
# without it the server resets whenever its last client leaves, and a client
# connecting at that moment is refused.
if [ -z "${ZE_IN_XVFB:-}" ]; then
  export ZE_IN_XVFB=1
  # -a looks upward from -n for a free display; a random start keeps tests
  # that CTest runs side by side from racing for the same number.
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1024x768x24 -nolisten tcp -noreset" bash "$0" "$@"
fi

# The editor draws on that server whatever Qt platform the caller chose.
unset QT_QPA_PLATFORM
WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config
mkdir -p "$XDG_CONFIG_HOME"
PIDS=()
ze_cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap ze_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local limit=$(( $(now_ms) + $1 * 1000 )); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(now_ms)" -lt "$limit" ] || return 1
    sleep 0.05
  done
}

start_openbox() {
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start"
}

window_of() { xdotool search --name "^$1\$" | head -n 1; }
is_viewable() { xwininfo -id "$1" | grep -q 'Map State: IsViewable'; }
is_iconic() { xprop -id "$1" WM_STATE | grep -q 'window state: Iconic'; }

# start_receiver NAME TITLE [options...]: starts a receiver writing to
# $WORK/NAME.out (stderr in $WORK/NAME.err), waits for its window, and sets
# WID and RPID.
start_receiver() {
  local name=$1 title=$2; shift 2
  "$RECEIVER" --title "$title" --out "$WORK/$name.out" "$@" 2>"$WORK/$name.err" &
  RPID=$!
  PIDS+=("$RPID")
  wait_for 10 window_of "$title" || fail "receiver '$title' has no window: $(cat "$WORK/$name.err")"
  WID=$(window_of "$title")
}

# send TEXT: runs the CLI; sets SEND_RC, SEND_ERR and SEND_MS.
send() {
  local start; start=$(now_ms)
  set +e
  printf '%s' "$1" | "$CLI" send 2>"$WORK/send.err"
  SEND_RC=$?
  set -e
  SEND_MS=$(( $(now_ms) - start ))
  SEND_ERR=$(cat "$WORK/send.err")
}

# wait_exit PID SECONDS: waits for the process; sets EXIT_RC.
wait_exit() {
  wait_for "$2" bash -c "! kill -0 $1" || fail "process $1 did not end"
  set +e; wait "$1"; EXIT_RC=$?; set -e
}

# The transfers every setting must carry: with and without a window manager.
run_transfer_cases() {
  # Byte for byte: LF and CR LF, Japanese, a character outside code page 932.
  # A window with the name in other letter case is above it and is ignored.
  start_receiver main "index.html - ZURI Zezez SEKKA"
  local main=$RPID
  start_receiver decoy "zuri zezez sekka" --keep-open
  local decoy=$RPID
  wait_for 10 is_viewable "$WID" || fail "decoy not mapped"
  send $'<IMG SRC="a.gif">\n<AREA ALT="地図">\r\n〜end'
  [ "$SEND_RC" -eq 0 ] || fail "send answered $SEND_RC: $SEND_ERR"
  wait_exit "$main" 5
  [ "$EXIT_RC" -eq 0 ] || fail "receiver answered $EXIT_RC"
  printf '<IMG SRC="a.gif">\r\n<AREA ALT="\x92\x6e\x90\x7d">\r\n&#12316;end\0' >"$WORK/expected"
  cmp "$WORK/expected" "$WORK/main.out" || fail "received bytes differ"
  grep -qx "dwData=0 cbData=$(stat -c %s "$WORK/expected")" "$WORK/main.err" ||
    fail "receiver reported: $(cat "$WORK/main.err")"

  # No matching window: nothing sent, at once, and one line saying so.
  send "ignored"
  [ "$SEND_RC" -eq 1 ] || fail "send without a target answered $SEND_RC"
  [ "$SEND_MS" -lt 2000 ] || fail "send without a target took ${SEND_MS} ms"
  [[ "$SEND_ERR" == *"no window title contains"* ]] || fail "message: $SEND_ERR"
  [ "$(printf '%s\n' "$SEND_ERR" | wc -l)" -eq 1 ] || fail "more than one line: $SEND_ERR"
  [ ! -e "$WORK/decoy.out" ] || fail "the other-case window received data"
  kill "$decoy"

  # Two visible windows: the top one takes it, the other is left alone.
  start_receiver lower "ZURI Zezez SEKKA lower" --keep-open
  local lower=$RPID lowerWid=$WID
  wait_for 10 is_viewable "$lowerWid" || fail "lower window not mapped"
  start_receiver upper "ZURI Zezez SEKKA upper"
  wait_for 10 is_viewable "$WID" || fail "upper window not mapped"
  send "x"
  [ "$SEND_RC" -eq 0 ] || fail "send to two windows answered $SEND_RC: $SEND_ERR"
  wait_exit "$RPID" 5
  printf 'x\0' | cmp - "$WORK/upper.out" || fail "upper window got other bytes"
  [ ! -e "$WORK/lower.out" ] || fail "the lower window received data too"
  kill "$lower"

  # A minimised receiver is restored and takes the text.
  start_receiver mini "ZURI Zezez SEKKA minimised" --minimised --keep-open
  local mini=$RPID
  wait_for 10 is_iconic "$WID" || fail "receiver did not start minimised"
  send "restored"
  [ "$SEND_RC" -eq 0 ] || fail "send to a minimised window answered $SEND_RC: $SEND_ERR"
  wait_for 10 is_viewable "$WID" || fail "minimised window was not restored"
  wait_for 10 bash -c "! xprop -id $WID WM_STATE | grep -q Iconic" || fail "still iconic"
  wait_for 5 test -e "$WORK/mini.out" || fail "no data written"
  printf 'restored\0' | cmp - "$WORK/mini.out" || fail "minimised window got other bytes"
  kill "$mini"

  # A receiver that never answers: the sender gives up after 5 seconds.
  start_receiver hung "ZURI Zezez SEKKA hung" --no-answer
  wait_for 10 is_viewable "$WID" || fail "hung window not mapped"
  send "nobody reads this"
  [ "$SEND_RC" -eq 1 ] || fail "send to a hung receiver answered $SEND_RC"
  [ "$SEND_MS" -ge 4500 ] && [ "$SEND_MS" -lt 9000 ] || fail "send to a hung receiver took ${SEND_MS} ms"
  [[ "$SEND_ERR" == *"did not take the data within 5 seconds"* ]] || fail "message: $SEND_ERR"
  kill -0 "$RPID" || fail "the hung receiver ended"
  kill "$RPID"
}
