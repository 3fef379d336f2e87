#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the release tree and tries it as a user
# would: installs it with apt-get, checks what it put in place, runs the
# command-line tool from /usr/bin, starts the editor under Xvfb until its
# window shows, and removes the package again: scripts/package-check.sh [BUILD]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release
rm -f "$build"/zer-evizi_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zer-evizi_*.deb)
echo "package: ${deb##*/}"
dpkg-deb -f "$deb" Depends

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zer-evizi >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package-check: FAIL: $*" >&2; exit 1; }

$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
for f in /usr/bin/zer-evizi /usr/bin/zer-evizi-cli \
         /usr/share/applications/jp.sekka.zerevizi.desktop \
         /usr/share/metainfo/jp.sekka.zerevizi.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/zer-evizi.svg \
         /usr/share/man/man1/zer-evizi-cli.1.gz /usr/share/zer-evizi/sample.bmp \
         /usr/share/doc/zer-evizi/copyright; do
  [ -e "$f" ] || fail "$f is not installed"
done
for n in 16 32 48 64 128 256; do
  [ -e "/usr/share/icons/hicolor/${n}x${n}/apps/zer-evizi.png" ] || fail "no ${n}x${n} icon"
done
desktop-file-validate /usr/share/applications/jp.sekka.zerevizi.desktop
appstreamcli validate --no-net /usr/share/metainfo/jp.sekka.zerevizi.metainfo.xml >/dev/null ||
  fail "the metainfo file does not validate"
man -l /usr/share/man/man1/zer-evizi-cli.1.gz 2>/dev/null | grep -q skeleton || fail "man page"
# The manual in both languages, with every picture it shows.
manual=/usr/share/zer-evizi/doc/manual
for lang in ja en; do
  [ -s "$manual/$lang/index.html" ] || fail "no $lang manual"
  for img in $(grep -o '<img[^>]* src="[^"]*"' "$manual/$lang/index.html" | sed 's/.* src="//; s/"$//'); do
    [ -s "$manual/$lang/$img" ] || fail "the $lang manual shows $img, which is not installed"
  done
done

info=$(cd / && zer-evizi-cli info /usr/share/zer-evizi/sample.bmp)
[ "$info" = "$("$build/cli/zer-evizi-cli" info "$top/resources/sample.bmp")" ] ||
  fail "zer-evizi-cli info says: $info"
echo "zer-evizi-cli info: $info"
# A command that reads the settings runs in the private program installed
# beside the package's own files, from a settings folder of its own.
skeleton=$(cd / && HOME=$work XDG_CONFIG_HOME=$work/config \
  zer-evizi-cli skeleton /usr/share/zer-evizi/sample.bmp --lower) || fail "zer-evizi-cli skeleton"
[ "${skeleton%%$'\r'*}" = '<img src="sample.bmp" width=240 height=160 alt="" usemap="#map_sample.bmp">' ] ||
  fail "zer-evizi-cli skeleton says: $skeleton"
echo "zer-evizi-cli skeleton: ${skeleton%%$'\r'*}"

# The editor from /usr/bin under a virtual display, with a settings folder
# of its own, until its window is there.
export HOME=$work XDG_CONFIG_HOME=$work/config
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" &
pids+=($!)
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
# The desktop's opener is one that notes what it was given.
mkdir "$work/bin"
printf '#!/bin/sh\necho "$1" > %s/opened\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
(cd / && PATH=$work/bin:$PATH exec zer-evizi /usr/share/zer-evizi/sample.bmp) >"$work/editor.log" 2>&1 &
pids+=($!)
win=
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^sample\.bmp - Zer Evizi SEKKA$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { cat "$work/editor.log" >&2; fail "no editor window"; }
xwininfo -id "$win" | grep -q 'Map State: IsViewable' || fail "the window is not viewable"
echo "zer-evizi: window $win, $(xwininfo -id "$win" | awk '/Width|Height/ {printf "%s ", $2}')"
# F1 hands the installed Japanese manual to the desktop's browser.
xdotool windowfocus --sync "$win"
xdotool key F1
for _ in $(seq 1 50); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ "$(cat "$work/opened" 2>/dev/null)" = "file://$manual/ja/index.html" ] ||
  fail "F1 opened '$(cat "$work/opened" 2>/dev/null)', not the installed manual"
echo "F1: $(cat "$work/opened")"

cleanup
trap - EXIT
! [ -e /usr/bin/zer-evizi ] || fail "still installed after apt-get remove"
echo "package-check: ok"
