#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The map checker and the two scaling forms against headless Chromium.
# 1. Every pixel centre of the picture is asked of the whole map and of each
#    area alone; the areas the browser never picks and the areas it picks
#    over others must be what `zer-evizi-cli check` reports as unreachable
#    and overlap.
# 2. `zer-evizi-cli export --svg` and `--scaling-map` are shown at 50 %,
#    100 % and 137 % of the picture's width (the scaling map also after the
#    image was first display:none, and stretched to 137 % wide and 80 %
#    high, which only the scaling map allows); at every point of a grid the link the
#    browser hits must be the one `zer-evizi-cli hit` gives at the point
#    scaled back to the picture, leaving out points within a pixel of an
#    edge. Pressing Tab takes the focus through every area with a link, in
#    the map's order (links kept out of the tab order left aside).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/browser_common.bash"
cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
[ -x "$cli" ] || { echo "not built: $cli"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

W=240 H=160
# Without time stamps, the same bytes in every run (the browser's reading is
# kept between trees: scripts/browser-cache/chromium).
convert -size ${W}x${H} 'xc:#c0d0e0' -define png:exclude-chunk=date,time "$work/pic.png"
cat >"$work/pane.txt" <<'MARKUP'
<img src="pic.png" alt="test" usemap="#m">
<map name="m">
<area shape=rect coords="10,10,90,70" href="r1" alt="r1">
<area shape=circle coords="80,60,30" href="c1" alt="c1">
<area shape=rect coords="20,20,40,40" href="r2" alt="r2">
<area shape=poly coords="120,10,200,10,200,90,160,40,120,90" href="p1" alt="p1">
<area shape=poly coords="130,100,220,150,220,100,130,150" href="p2" alt="p2">
<area shape=rect coords="150,60,230,120" nohref alt="hole">
<area shape=circle coords="40,130,25" href="c2" alt="c2">
<area shape=rect coords="30,120,60,150" href="r3" alt="r3">
<area shape=poly coords="10,10,20,10" href="bad" alt="bad">
<area shape=default href="d" alt="d">
</map>
MARKUP
areas=10

# --- 1. unreachable and overlap ---------------------------------------------
{
  printf '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><style>'
  printf 'body{margin:0} img{display:block;border:0;margin-bottom:8px}</style></head><body>\n'
  sed 's/#m"/#m0"/; s/name="m"/name="m0"/' "$work/pane.txt"
  for ((k = 0; k < areas; k++)); do
    printf '<img src="pic.png" alt="" usemap="#a%d">\n<map name="a%d">\n' $k $k
    sed -n "$((k + 3))p" "$work/pane.txt"
    printf '</map>\n'
  done
  cat <<SCRIPT
<script>
onload = function () {
  var W = $W, H = $H, n = $areas, imgs = document.querySelectorAll('img'), out = [];
  // The element at each pixel centre of an image, scrolled into view once.
  function each(img, visit) {
    window.scrollTo(0, 0);
    window.scrollTo(0, img.getBoundingClientRect().top);
    var r = img.getBoundingClientRect();
    for (var y = 0; y < H; y++)
      for (var x = 0; x < W; x++)
        visit(y * W + x, document.elementFromPoint(r.left + x + 0.5, r.top + y + 0.5));
  }
  var areas = document.querySelector('map[name="m0"]').areas, picked = [], holds = [];
  each(imgs[0], function (p, e) { picked[p] = Array.prototype.indexOf.call(areas, e); });
  for (var k = 0; k < n; k++) {
    holds.push([]);
    each(imgs[k + 1], function (p, e) { if (e && e.tagName == 'AREA') holds[k].push(p); });
  }
  for (var k = 0; k < n; k++) {
    if (!holds[k].length) continue;
    var mine = 0, over = {};
    holds[k].forEach(function (p) { if (picked[p] == k) mine++; else over[picked[p]] = 1; });
    if (!mine) { out.push('unreachable ' + (k + 3)); continue; }
    if (areas[k].getAttribute('shape') == 'default') continue;
    for (var i in over) out.push('overlap ' + (k + 3) + ' ' + (+i + 3));
  }
  var pre = document.createElement('pre');
  pre.id = 'ze-results';
  pre.textContent = '\n' + out.join('\n') + '\n';
  document.body.appendChild(pre);
};
</script>
SCRIPT
  printf '</body></html>\n'
} >"$work/cover.html"
browser_run "$work/cover.html" "$work/browser-cover.txt"
sort "$work/browser-cover.txt" >"$work/browser-cover.sorted"

status=0
"$cli" check --picture "$work/pic.png" - <"$work/pane.txt" >"$work/check.txt" || status=$?
[ $status -eq 1 ] || { echo "FAIL: check exited $status, not 1"; cat "$work/check.txt"; exit 1; }
sed -n -e 's/^-:\([0-9]*\):.*\[unreachable\]$/unreachable \1/p' \
  -e 's/^-:\([0-9]*\):.* at line \([0-9]*\),.*\[overlap\]$/overlap \1 \2/p' "$work/check.txt" |
  sort >"$work/ours-cover.sorted"
if ! diff "$work/browser-cover.sorted" "$work/ours-cover.sorted"; then
  echo "FAIL: the browser (<) and zer-evizi-cli check (>) disagree on coverage"
  cat "$work/check.txt"
  exit 1
fi
if ! grep -q unreachable "$work/ours-cover.sorted" || ! grep -q overlap "$work/ours-cover.sorted"; then
  echo "FAIL: the page was meant to have both"
  exit 1
fi

# --- 2. the two forms at three widths -----------------------------------------
# Picture points of a grid, and for each the link `hit` gives there, or
# nothing when a point 2 pixels away in any direction gets another link.
awk -v w=$W -v h=$H 'BEGIN { for (y = 1.3; y < h; y += 2.9) for (x = 1.1; x < w; x += 2.7) print x, y }' \
  >"$work/points.txt"
awk '{ for (dy = -2; dy <= 2; dy += 2) for (dx = -2; dx <= 2; dx += 2) print $1 + dx, $2 + dy }' \
  "$work/points.txt" >"$work/near.txt"
# shellcheck disable=SC2046
"$cli" hit $(cat "$work/near.txt") <"$work/pane.txt" |
  awk '{ link = ($0 == "0") ? "" : substr($0, index($0, " ") + 1); print link }' |
  awk 'NR % 9 == 1 { same = 1; first = $0; centre = "" } { if ($0 != first) same = 0 }
       NR % 9 == 5 { centre = $0 } NR % 9 == 0 { print same ? "=" centre : "?" }' >"$work/expected.txt"
[ "$(wc -l <"$work/expected.txt")" -eq "$(wc -l <"$work/points.txt")" ] ||
  { echo "FAIL: hit gave the wrong number of answers"; exit 1; }

cases="svg:50 svg:100 svg:137 scaling-map:50 scaling-map:100 scaling-map:137 scaling-map:137:hidden
  scaling-map:137:stretch"
{
  printf '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><style>'
  printf 'body{margin:0} .case{margin-bottom:8px} .case img{width:100%%;height:auto}'
  printf ' .case.stretch img{height:%spx}</style></head><body>\n' $((H * 4 / 5))
  c=0
  for layout in $cases; do
    IFS=: read -r form pct mode <<<"$layout"
    hidden=${mode#stretch}
    width=$(awk -v w=$W -v p="$pct" 'BEGIN { print w * p / 100 }')
    printf '<div class="case%s" id="case%d" style="width:%spx" data-form="%s"%s>\n' \
      "${mode:+ $mode}" $c "$width" "$form" \
      "${hidden:+ data-hidden=\"1\"}"
    [ -z "$hidden" ] || printf '<div class="hider" style="display:none">\n'
    sed "s/#m\"/#m$c\"/; s/name=\"m\"/name=\"m$c\"/" "$work/pane.txt" |
      "$cli" export --"$form" --picture "$work/pic.png" -
    [ -z "$hidden" ] || printf '</div>\n'
    printf '</div>\n'
    c=$((c + 1))
  done
  printf '<script>\nvar P = [%s];\n' "$(awk '{ printf "%s[%s,%s]", (n++ ? "," : ""), $1, $2 }' "$work/points.txt")"
  cat <<SCRIPT
function probe() {
  var W = $W, H = $H, out = [], cases = document.querySelectorAll('.case');
  for (var c = 0; c < cases.length; c++) {
    var img = cases[c].querySelector('img');
    window.scrollTo(0, 0);
    window.scrollTo(0, img.getBoundingClientRect().top);
    var r = img.getBoundingClientRect(), sx = r.width / W, sy = r.height / H;
    for (var i = 0; i < P.length; i++) {
      var e = document.elementFromPoint(r.left + P[i][0] * sx, r.top + P[i][1] * sy), link = '';
      if (e && e.tagName == 'AREA') link = e.getAttribute('href') || '';
      else if (e && e.closest && e.closest('a')) link = e.closest('a').getAttribute('href') || '';
      out.push(c + ' ' + i + ' ' + link);
    }
  }
  var pre = document.createElement('pre');
  pre.id = 'ze-results';
  pre.textContent = '\n' + out.join('\n') + '\n';
  document.body.appendChild(pre);
}
addEventListener('load', function () {
  // The hidden picture is shown once the page has loaded, then the resize
  // is given time to be seen.
  setTimeout(function () {
    var h = document.querySelectorAll('.hider');
    for (var i = 0; i < h.length; i++) h[i].style.display = 'block';
    setTimeout(probe, 500);
  }, 300);
});
</script>
SCRIPT
  printf '</body></html>\n'
} >"$work/forms.html"
browser_run "$work/forms.html" "$work/browser-forms.txt"
# The links each case should take the focus through, in order; the svg form
# leaves out the area a browser ignores.
tabs() { if [ "$1" = svg ]; then echo "r1 c1 r2 p1 p2 c2 r3 d"; else echo "r1 c1 r2 p1 p2 c2 r3 bad d"; fi; }
presses=0
for layout in $cases; do presses=$((presses + $(tabs "${layout%%:*}" | wc -w))); done
# One more press leaves the last link: nothing after it takes the focus.
"$here/browser_tab_order.py" "$(browser_binary)" "$work/forms.html" $((presses + 1)) \
  "document.getElementById('ze-results')" >"$work/tab-order.txt" ||
  { echo "FAIL: browser_tab_order.py failed"; exit 1; }
[ "$(tail -n 1 "$work/tab-order.txt")" = " " ] ||
  { echo "FAIL: Tab went on past the last link to '$(tail -n 1 "$work/tab-order.txt")'"; exit 1; }

c=0
compared=0
for layout in $cases; do
  form=${layout%%:*}
  awk -v c=$c '$1 == c { sub(/^[^ ]+ [^ ]+ ?/, ""); print }' \
    "$work/browser-forms.txt" >"$work/got.txt"
  [ "$(wc -l <"$work/got.txt")" -eq "$(wc -l <"$work/points.txt")" ] ||
    { echo "FAIL: $layout: the browser gave $(wc -l <"$work/got.txt") answers"; exit 1; }
  # Stretched unevenly, a circle would be an ellipse, which a map cannot
  # hold: the script gives it the smaller ratio, so points of the circles
  # (c1, c2) are left out there.
  circles=no
  [ "${layout##*:}" = stretch ] && circles=skip
  bad=$(paste -d'|' "$work/expected.txt" "$work/got.txt" "$work/points.txt" |
    awk -F'|' -v circles=$circles '$1 != "?" && !(circles == "skip" && $1 ~ /^=c/) &&
                                   substr($1, 2) != $2 { n++; if (n <= 5) print "  at " $3 ": hit " substr($1, 2) ", browser " $2 }
               END { if (n) print "  " n " points differ" }')
  if [ -n "$bad" ]; then
    echo "FAIL: $layout: the browser and zer-evizi-cli hit disagree"
    echo "$bad"
    exit 1
  fi
  compared=$((compared + $(grep -vc '^?' "$work/expected.txt")))
  focus=$(awk -v id=case$c '$1 == id { printf "%s%s", (n++ ? " " : ""), $2 }' "$work/tab-order.txt")
  want=$(tabs "$form")
  [ "$focus" = "$want" ] || { echo "FAIL: $layout: Tab order '$focus', not '$want'"; exit 1; }
  c=$((c + 1))
done
echo "PASS: coverage agrees; $compared points of 8 scaled forms agree with $(browser_binary)"
