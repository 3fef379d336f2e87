#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The area model against a real browser: two pictures whose maps hold areas
# of every shape and notation go into one page for headless Chromium, which
# reports the element at each of a grid of points and at the areas' edges;
# `zer-evizi-cli hit` must pick the same area at every point, and
# `zer-evizi-cli areas` must read the same href and alt from every tag. A
# third map is the first with tags moved by `zer-evizi-cli reorder` (as the
# area list moves rows): where areas overlap, the one now first wins.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/browser_common.bash"
cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
[ -x "$cli" ] || { echo "not built: $cli"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A one-pixel GIF, stretched to the picture's size by the tag.
gif='data:image/gif;base64,R0lGODlhAQABAIAAAP///wAAACwAAAAAAQABAAACAkQBADs='

cat >"$work/main.txt" <<MARKUP
<img src="$gif" width=400 height=200 usemap="#main">
<map name="main">
<area shape="rect" coords="10,10,50,40" href="r1" alt="plain">
<AREA SHAPE=RECT COORDS='90,40 60,10' HREF=r2 ALT=Upper>
<area shape=rectangle coords="100;10;140;40" href='r&amp;3' alt="semi&#x3b;colons&#59">
<area coords=" 150 , 10 , 190 , 40 " href="r4" href="dup" alt=noshape>
<area shape=rect coords="200.5,10.5,219.5,39.5" href=r5>
<area shape="circle" coords="250,25,15" href="c1">
<Area Shape="Circ" coords="290.5,25.5,14.5" href="c2">
<area shape=circle coords="330,25,-5" href=c3-negative>
<area shape=rect coords="320,15,340,35" href=r6-under-c3>
<area shape=circle coords="370,25,0" href=c4-zero>
<area shape="poly" coords="10,60 60,60 10,110" href="p1">
<area shape=POLYGON coords="100,60,112,98,80,74,120,74,88,98" href=p2-star>
<area shape=poly coords="130,60,170,100,170,60,130,100,5" href=p3-bowtie-odd>
<area shape=poly coords="180,60,220,60" href=p4-too-few>
<area shape=bogus coords="180,60,220,100" href=r7-bogus>
<!-- <area shape=rect coords="230,60,270,100" href=commented> -->
<area shape=circle coords="250,80,15" href=c5>
<area shape="circle" coords="290,80" href=c6-too-few>
<area shape=rect coords="280px,60,320,100" href="r8" alt='it&quot;s &lt;b&gt;'>
<area shape=rect coords="330,60,370,100" alt="no href">
<area shape=" circle" coords="30,150,15" href=spaced-keyword>
<area shape=rect coords="10,130,50,170" href=r9>
<area shape=circle coords="100,150,20" href=c7-first><area shape=rect coords="90,140,130,180" href=r10-second>
<area shape=poly coords="150,130,190,130,190,170,150,170,150,130,160,140,180,140,180,160,160,160,160,140" href=p5-frame>
<area shape=rect coords="210,130,250,170" href=r11 title="t" target=_blank tabindex=1>
<area href=no-coords>
<area shape=rect coords="260,130,300,170" href="r12"/>
<area shape=rect coords="31e1,13e1,34e1,17e1" href=r13-exponent>
<area shape=rect coords="350,130,390,170" href="r14" HREF="dup2"
  alt="two
lines">
</map>
MARKUP

cat >"$work/second.txt" <<MARKUP
<img src="$gif" width=200 height=100 usemap="#second">
<map name="second">
<!-- <area shape=default href=in-comment> -->
<!--> <area shape=rect coords="0,0,50,50" href=after-abrupt-comment>
<script>var s = '<area shape=default href=in-script>';</script>
<title><area shape=default href=in-title></title>
<style>/* <area shape=default href=in-style> */</style>
<textarea><area shape=default href=in-textarea></TEXTAREA >
<?pi <area shape=default href=in-processing-instruction>
<!x <area shape=default href=in-declaration>
<area shape=circle coords="100,50,20" href=c-second>
<area shape=default href=default-last>
<area shape=rect coords="150,0,200,50" href=after-default>
</map>
MARKUP

# The first map under another name, the second of two overlapping areas
# moved before the first, a rectangle before the circle over it, the last
# tag made the first.
place() { "$cli" areas <"$work/reordered.txt" | grep -n "href=$1 " | cut -d: -f1; }
sed -e 's/#main/#reordered/' -e 's/name="main"/name="reordered"/' "$work/main.txt" \
  >"$work/reordered.txt"
for move in "r10-second c7-first" "r6-under-c3 c5" "r14 r1"; do
  read -r tag before <<<"$move"
  "$cli" reorder "$(place "$tag")" "$(place "$before")" <"$work/reordered.txt" >"$work/moved.txt"
  mv "$work/moved.txt" "$work/reordered.txt"
done
[ "$(place r14)$(place r1)$(($(place c7-first) - $(place r10-second)))" = 121 ] ||
  { echo "FAIL: reorder did not move the tags"; exit 1; }

# A grid over each picture, and each rectangle's and circle's edges with the
# points half a pixel outside them.
grid() { # WIDTH HEIGHT STEP
  local x y
  for ((y = 1; y < $2; y += $3)); do
    for ((x = 1; x < $1; x += $3)); do echo "$x $y"; done
  done
}
rect_edges() { # X1 Y1 X2 Y2 (X1 < X2, Y1 < Y2)
  local my=$(((($2 + $4)) / 2)) mx=$(((($1 + $3)) / 2))
  printf '%s %s\n' "$1" $my "$1.5" $my "$(($1 - 1)).5" $my "$3" $my "$3.5" $my \
    $mx "$2" $mx "$(($2 - 1)).5" $mx "$4" $mx "$4.5" "$1" "$2" "$3" "$4"
}
circle_edges() { # CX CY R
  printf '%s %s\n' $(($1 - $3)) "$2" "$(($1 - $3 - 1)).5" "$2" $(($1 + $3)) "$2" \
    "$(($1 + $3)).5" "$2" "$1" $(($2 - $3)) "$1" $(($2 + $3)) "$1" "$(($2 + $3)).5"
}
{
  grid 400 200 6
  rect_edges 10 10 50 40
  rect_edges 60 10 90 40
  rect_edges 100 10 140 40
  rect_edges 150 10 190 40
  printf '%s\n' "200 20" "200.5 20" "219.5 20" "220 20" "210 10.5" "210 10"
  circle_edges 250 25 15
  printf '%s\n' "276 25.5" "305 25.5" "290.5 11" "290.5 40" "276.5 25" "304.5 25"
  printf '%s\n' "330 25" "370 25" "20 60" "10 85" "35 85" "34 85" "36 85"
  printf '%s\n' "100 74" "100 60" "112 98" "150 80" "140 80" "160 80" "150 75"
  rect_edges 180 60 220 100
  circle_edges 250 80 15
  rect_edges 280 60 320 100
  rect_edges 330 60 370 100
  circle_edges 30 150 15
  circle_edges 100 150 20
  rect_edges 90 140 130 180
  printf '%s\n' "155 150" "160 150" "165 150" "170 150" "180 150" "185 150" "190 150"
  rect_edges 210 130 250 170
  rect_edges 260 130 300 170
  rect_edges 310 130 340 170
  rect_edges 350 130 390 170
} >"$work/main.probes"
{
  grid 200 100 7
  printf '%s\n' "25 25" "80 50" "120 50" "100 30" "100 70" "175 25" "0 0"
} >"$work/second.probes"
cp "$work/main.probes" "$work/reordered.probes"

browser_probe_page "$work/page.html" "$work/main.txt" "$work/main.probes" \
  "$work/second.txt" "$work/second.probes" "$work/reordered.txt" "$work/reordered.probes"
browser_run "$work/page.html" "$work/browser.txt"

# The same questions to the command-line tool.
k=0
for name in main second reordered; do
  browser_hit_lines $k "$work/$name.txt" "$work/$name.probes" "$cli" >>"$work/ours.txt"
  k=$((k + 1))
done
k=0
for name in main second reordered; do
  "$cli" areas <"$work/$name.txt" |
    sed -e 's/ invalid$//' -e 's/ \(title\|target\|tabindex\)=[^ ]*//g' -e "s/^[0-9]* [a-z]* [^ ]* href=\(.*\) alt=\(.*\)$/$k area \1|\2/" \
      -e 's/\\n/\n/g' >>"$work/ours.txt"
  k=$((k + 1))
done

if ! diff "$work/browser.txt" "$work/ours.txt" >"$work/diff.txt"; then
  echo "FAIL: the browser (<) and zer-evizi-cli (>) disagree:"
  head -n 40 "$work/diff.txt"
  exit 1
fi
points=$(grep -vc ' area ' "$work/ours.txt")
tags=$(grep -c ' area ' "$work/ours.txt")
echo "PASS: $points points and $tags area tags agree with $(browser_binary)"
