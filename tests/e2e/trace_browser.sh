#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Headless Chromium as the judge of traced polygons: for several clicks on
# the sample picture, a page holds the picture with the area line that
# `zer-evizi-cli trace` prints, and a script asks the browser
# (elementFromPoint) at every pixel centre whether the area is hit. The same
# script computes the region from the picture's pixels on its own (4-connected
# fill within the tolerance, holes filled), and the two must agree everywhere
# but on boundary pixels: those with a neighbour (8 around) on the other side.
set -euo pipefail
source "$ZE_SOURCE_DIR/tests/e2e/editor_common.bash"
source "$ZE_SOURCE_DIR/tests/e2e/browser_common.bash"
e2e_setup

picture=$work/sample.bmp
cp "$ZE_SOURCE_DIR/resources/sample.bmp" "$picture"
ppm=$("$cli" ppm "$picture" | base64 -w0)

# X Y TOLERANCE: the house from its roof, the roof alone, the sun, the sky
# (the house and sun cut into it, the picture's edges closing it), the grass.
clicks=("75 50 90" "75 50 32" "190 35 32" "20 20 32" "20 140 32")
status=0
for click in "${clicks[@]}"; do
  read -r x y tolerance <<<"$click"
  line=$("$cli" trace "$picture" "$x" "$y" --tolerance "$tolerance" --lower | tr -d '\r')
  line=${line/href=\"\"/href=\"#hit\"}
  cat > "$work/page.html" <<PAGE
<!DOCTYPE html>
<html><head><style>body { margin: 0 } img { display: block }</style></head><body>
<img src="sample.bmp" width="240" height="160" usemap="#m" alt="">
<map name="m">$line</map>
<script>
const seed = [$x, $y], tolerance = $tolerance;
const bytes = Uint8Array.from(atob("$ppm"), c => c.charCodeAt(0));
// P6 header: magic, width, height, maximum, then the samples.
let at = 0, fields = [];
while (fields.length < 4) {
  while (/\s/.test(String.fromCharCode(bytes[at]))) at++;
  let start = at;
  while (!/\s/.test(String.fromCharCode(bytes[at]))) at++;
  fields.push(String.fromCharCode(...bytes.slice(start, at)));
}
at++;
const w = +fields[1], h = +fields[2];
const rgb = (x, y) => bytes.subarray(at + 3 * (y * w + x), at + 3 * (y * w + x) + 3);
const s = rgb(...seed).slice();
const region = new Uint8Array(w * h);
const queue = [seed];
region[seed[1] * w + seed[0]] = 1;
while (queue.length) {
  const [px, py] = queue.pop();
  for (const [nx, ny] of [[px + 1, py], [px - 1, py], [px, py + 1], [px, py - 1]]) {
    if (nx < 0 || ny < 0 || nx >= w || ny >= h || region[ny * w + nx]) continue;
    const c = rgb(nx, ny);
    const d = (c[0] - s[0]) ** 2 + (c[1] - s[1]) ** 2 + (c[2] - s[2]) ** 2;
    if (d <= tolerance * tolerance) { region[ny * w + nx] = 1; queue.push([nx, ny]); }
  }
}
// Holes: background the outside cannot reach, moving 8-connected.
const outside = new Uint8Array((w + 2) * (h + 2));
const back = [[0, 0]];
outside[0] = 1;
while (back.length) {
  const [px, py] = back.pop();
  for (let dy = -1; dy <= 1; dy++) for (let dx = -1; dx <= 1; dx++) {
    const nx = px + dx, ny = py + dy;
    if (nx < 0 || ny < 0 || nx > w + 1 || ny > h + 1 || outside[ny * (w + 2) + nx]) continue;
    if (nx >= 1 && ny >= 1 && nx <= w && ny <= h && region[(ny - 1) * w + nx - 1]) continue;
    outside[ny * (w + 2) + nx] = 1;
    back.push([nx, ny]);
  }
}
const filled = (x, y) => x >= 0 && y >= 0 && x < w && y < h && !outside[(y + 1) * (w + 2) + x + 1];
let checked = 0, edge = 0, wrong = 0, inside = 0, first = "";
for (let y = 0; y < h; y++) for (let x = 0; x < w; x++) {
  const hit = document.elementFromPoint(x + 0.5, y + 0.5)?.tagName === "AREA";
  const want = filled(x, y);
  checked++;
  inside += want;
  if (hit === want) continue;
  let boundary = false;
  for (let dy = -1; dy <= 1; dy++) for (let dx = -1; dx <= 1; dx++)
    if (filled(x + dx, y + dy) !== want) boundary = true;
  if (boundary) edge++; else { wrong++; if (!first) first = x + "," + y; }
}
const pre = document.createElement("pre");
pre.id = "ze-results";
pre.textContent = "\ncheck checked=" + checked + " inside=" + inside + " boundary=" + edge +
  " wrong=" + wrong + " first=" + first + "\n";
document.body.appendChild(pre);
</script>
</body></html>
PAGE
  out=$(browser_run "$work/page.html" "$work/answer.txt" && cat "$work/answer.txt" || true)
  echo "click $x,$y tolerance $tolerance: ${out:-no result}"
  case "$out" in
    "check "*" wrong=0 "*) ;;
    *) status=1 ;;
  esac
done
exit $status
