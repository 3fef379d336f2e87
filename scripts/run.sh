#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the release tree and starts the editor on
# the bundled sample picture (or on the picture given as the argument).
# Without a display to show it on, it says so, prints the markup skeleton of
# the picture as the command-line tool makes it, and exits with status 1.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build" -DCMAKE_BUILD_TYPE=Release
picture=${1:-$top/resources/sample.bmp}

# A display the editor can use: an X server that answers (the editor runs
# on X11, also through XWayland), or a platform chosen by QT_QPA_PLATFORM.
has_display() {
  case ${QT_QPA_PLATFORM:-} in
    "" | xcb) ;;
    *) return 0 ;;
  esac
  # A Wayland session without XWayland: the editor tries and says why not.
  [ -z "${DISPLAY:-}" ] && [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

if [ -x "$top/build/shell/zer-evizi" ] && has_display; then
  exec "$top/build/shell/zer-evizi" "$picture"
fi

if [ -z "${DISPLAY:-}" ]; then
  why="DISPLAY is not set"
else
  why="the X server at DISPLAY=$DISPLAY does not answer"
fi
cat >&2 <<MSG
zer-evizi: there is no display to show the editor on ($why).
  The editor needs a graphical session. Any of these gives it one:
    - run scripts/run.sh in a terminal of a desktop session;
    - from another machine, log in with X11 forwarding: ssh -X HOST;
    - on a server, use a virtual display: xvfb-run scripts/run.sh
  The command-line tool works without a display. The markup skeleton of
  ${picture##*/} as the editor would show it:

MSG
"$top/build/cli/zer-evizi-cli" skeleton "$picture" | tr -d '\r'
echo
exit 1
