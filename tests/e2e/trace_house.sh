#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The outline tool in the real editor under Xvfb: one click on the sample
# picture's roof, with the tolerance set to 90 in the settings file, traces
# the whole house (roof, wall and door); the pane gets its polygon, the same
# one that `zer-evizi-cli trace` prints for that pixel.
#
# The picture's origin on the screen is found by a marker colour put into its
# top-left pixel (sky, far from the house).
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
e2e_setup
mkdir -p "$XDG_CONFIG_HOME/SEKKA"
printf '[General]\nTraceTolerance=90\n' > "$XDG_CONFIG_HOME/SEKKA/Zer Evizi SEKKA.conf"

picture=$work/house.bmp
marker_picture "$picture" "$ZE_SOURCE_DIR/resources/sample.bmp"
roof_x=75 roof_y=50  # a roof pixel, RGB(120, 60, 40)
expected_line=$("$cli" trace "$picture" $roof_x $roof_y | tr -d '\r')
coords=$(sed -E 's/.*coords="([^"]*)".*/\1/' <<<"$expected_line")
# The house: roof and wall, door included, reaching the ground at y = 126.
case ",$coords," in
  *,111,126,40,126,*) ;;
  *) echo "the traced region is not the house: $coords"; exit 1 ;;
esac
export roof_x roof_y

cat > "$work/run.sh" <<'INNER'
set -euo pipefail
bin=$1 picture=$2 work=$3
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
start_editor_on_marker 'house\.bmp - Zer Evizi SEKKA'

# The Areas menu (領域, Alt+R), then 輪郭 (O).
xdotool key --delay 100 alt+r o
x=$((origin_x + roof_x)) y=$((origin_y + roof_y))
point "$x" "$y"
# The preview: the outline crosses the wall's left edge (x 40) in white
# exclusive-or, so the wall's colour is gone there.
wall_edge_changed() { [ "$(screen_colour $((origin_x + 40)) $((origin_y + 100)))" != C8503C ]; }
until_true 10 wall_edge_changed || fail "no outline previewed"
xdotool click 1

answer_link house.html House
copy_pane "$work/pane.txt"
INNER

run_in_xvfb

# The trace's corners through the area command: the same line, with the link.
read -r -a points <<<"$(sed -E 's/([0-9]+),([0-9]+),?/\1,\2 /g' <<<"$coords")"
expected=$("$cli" skeleton "$picture" |
  "$cli" area poly "${points[@]}" --href house.html --alt House | tr -d '\r')
expect_text "$expected" "$work/pane.txt"
echo "ok: one click traced the house into ${#points[@]} corners"
