#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ブラウザで確認 while another user plants symbolic links in the shared
# temporary folder: at the page's name, and in place of the editor's own
# folder for pages. The victim's file must stay as it was, and the page must
# be a 0600 file in a 0700 folder of ours that no link leads to. The browser
# is a stand-in that notes the address it was given.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
if [ "$(id -u)" != 0 ]; then
  echo "skipped: planting another user's links takes root (setpriv)"
  exit 0
fi
# A second /tmp: world-writable and sticky, and the runtime folder too.
shared=$(mktemp -d /tmp/ze-shared.XXXXXX)
trap 'rm -rf "$work" "$shared"' EXIT
chmod 1777 "$shared"
printf 'my notes: call the printer people.\n' >"$work/notes.txt"
cp "$work/notes.txt" "$work/notes.orig"
mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<'EOF'
#!/bin/sh
printf '%s\n' "$1" >>"$ZE_OPENED"
EOF
chmod +x "$work/bin/xdg-open"
picture=$work/pic.bmp
marker_picture "$picture"

cat >"$work/run.sh" <<'EOF'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
export PATH=$work/bin:$PATH ZE_OPENED=$work/opened TMPDIR=$SHARED XDG_RUNTIME_DIR=$SHARED
unset BROWSER
start_editor 'pic\.bmp - Zer Evizi SEKKA'
as_other() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
name=zer-evizi-check-$editor.html
as_other ln -s "$work/notes.txt" "$SHARED/$name"
as_other mkdir -m 777 "$SHARED/theirs"
as_other ln -s "$work/notes.txt" "$SHARED/theirs/$name"
as_other ln -s "$SHARED/theirs" "$SHARED/zer-evizi"
for round in 1 2; do
  xdotool key --delay 100 alt+o w
  until_true 10 bash -c '[ "$(wc -l < "$0" 2>/dev/null)" = "$1" ]' "$work/opened" "$round" ||
    fail "the browser was not started (round $round)"
done
EOF
export SHARED=$shared
run_in_xvfb

cmp -s "$work/notes.txt" "$work/notes.orig" ||
  fail "the other user's link made the editor write over notes.txt ($(stat -c %s "$work/notes.txt") bytes)"
[ "$(sort -u "$work/opened" | wc -l)" = 1 ] || fail "two pages: $(cat "$work/opened")"
url=$(head -1 "$work/opened")
page=${url#file://}
folder=$(dirname "$page")
[ -f "$page" ] && [ ! -L "$page" ] || fail "no page at $page"
[ "$(realpath "$page")" = "$page" ] || fail "a link leads to the page: $page -> $(realpath "$page")"
[ "$(stat -c '%a %u' "$page")" = "600 0" ] || fail "page $page: $(stat -c '%a %U' "$page")"
[ "$(stat -c '%a %u' "$folder")" = "700 0" ] || fail "folder $folder: $(stat -c '%a %U' "$folder")"
grep -q 'id="ze-check"' "$page" || fail "$page is not the check page"
[ "$(readlink "$shared/zer-evizi")" = "$shared/theirs" ] || fail "the planted link went"
echo "ok: the page $page is 0600 in a 0700 folder; the planted links led nowhere"
