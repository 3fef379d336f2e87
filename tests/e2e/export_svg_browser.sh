#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The SVG overlay of `zer-evizi-cli export --svg` against headless Chromium.
# 1. At every integer pointer position and every pixel centre of a picture
#    whose areas share edges, the link the browser hits in the overlay is
#    the one `zer-evizi-cli hit` picks in the map.
# 2. axe-core (pinned in tests/e2e/axe/package.json, installed here) finds
#    no violation in the overlay of a page that passes it, links named by
#    alt, aria-label, aria-labelledby and title.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/browser_common.bash"
cli=$ZE_BINARY_DIR/cli/zer-evizi-cli
[ -x "$cli" ] || { echo "not built: $cli"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Without time stamps, the same bytes in every run (the browser's reading is
# kept between trees: scripts/browser-cache/chromium).
convert -size 40x40 'xc:#c0d0e0' -define png:exclude-chunk=date,time "$work/pic.png"
cat >"$work/pane.txt" <<'MARKUP'
<img src="pic.png" alt="" usemap="#m">
<map name="m">
<area shape="rect" coords="12,1,30,18" href="r" alt="Rectangle">
<area shape="circle" coords="9.5,22,9" href="c" alt="Circle">
<area shape="poly" coords="30,18,39,18,39,39,30,39" href="p" aria-label="Polygon">
<area shape="rect" coords="18,18,30,30" href="s" alt="" title="Square">
<area shape="default" href="d" alt="Elsewhere">
</map>
MARKUP
"$cli" export --svg --picture "$work/pic.png" - <"$work/pane.txt" >"$work/svg.html"

# --- 1. every integer position and pixel centre -------------------------------
points=()
for ((y = 0; y < 40; y++)); do
  for ((x = 0; x < 40; x++)); do points+=("$x" "$y" "$x.5" "$y.5"); done
done
{
  printf '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><style>body{margin:0}'
  printf ' .ze-frame{width:40px}</style></head><body><div class="ze-frame">\n'
  cat "$work/svg.html"
  printf '</div><pre id="ze-results"></pre>\n<script>\nvar p = [%s];\n' "$(IFS=,; echo "${points[*]}")"
  cat <<'SCRIPT'
onload = function () {
  var out = [];
  for (var i = 0; i < p.length; i += 2) {
    var e = document.elementFromPoint(p[i], p[i + 1]), a = e && e.closest('a');
    out.push(p[i] + ' ' + p[i + 1] + ' ' + (a ? a.getAttribute('href') : '-'));
  }
  document.getElementById('ze-results').textContent = '\n' + out.join('\n') + '\n';
};
</script></body></html>
SCRIPT
} >"$work/edges.html"
browser_run "$work/edges.html" "$work/browser.txt"
"$cli" hit "${points[@]}" <"$work/pane.txt" |
  paste -d' ' <(printf '%s %s\n' "${points[@]}") - |
  awk '{ print $1, $2, ($3 == "0" ? "-" : $4) }' >"$work/map.txt"
if ! diff "$work/map.txt" "$work/browser.txt" >"$work/diff.txt"; then
  echo "export_svg_browser: the overlay and the map pick differently:"
  head -n 20 "$work/diff.txt"
  exit 1
fi

# --- 2. axe-core on the page and on its overlay -------------------------------
npm_dir=$ZE_BINARY_DIR/npm/export-axe
mkdir -p "$npm_dir"
cp "$here/axe/package.json" "$npm_dir/package.json"
if [ ! -f "$npm_dir/node_modules/axe-core/axe.min.js" ]; then
  (cd "$npm_dir" && npm install --no-audit --no-fund --loglevel=error >/dev/null)
fi
# Beside the pages, so that they are the same bytes in every tree.
cp "$npm_dir/node_modules/axe-core/axe.min.js" "$work/axe.min.js"
cat >"$work/named.txt" <<'MARKUP'
<img src="pic.png" alt="A plan of the garden" usemap="#g">
<map name="g">
<area shape="rect" coords="0,0,20,20" href="a.html" alt="North bed">
<area shape="rect" coords="20,0,40,20" href="b.html" aria-label="East bed">
<area shape="rect" coords="0,20,20,40" href="c.html" aria-labelledby="west">
<area shape="rect" coords="20,20,40,40" href="d.html" alt="" title="Pond">
</map>
<p id="west">West bed</p>
MARKUP
axe_page() {
  {
    printf '<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8"><title>Plan</title>'
    printf '<script src="axe.min.js"></script></head><body><main>\n'
    cat "$1"
    printf '<p id="west">West bed</p>\n<pre id="ze-results"></pre>\n'
    cat <<'SCRIPT'
<script>
axe.run(document.querySelector('main'), {resultTypes: ['violations']}).then(function (r) {
  document.getElementById('ze-results').textContent = '\nviolations ' + r.violations.length + '\n' +
    r.violations.map(function (v) { return v.id + ' ' + v.nodes.length; }).join('\n') + '\n';
});
</script></main></body></html>
SCRIPT
  } >"$2"
}
sed '$d' "$work/named.txt" >"$work/map-only.txt"
"$cli" export --svg --picture "$work/pic.png" - <"$work/named.txt" >"$work/named-svg.html"
for form in map-only named-svg; do
  axe_page "$work/$form".* "$work/axe-$form.html"
  browser_run "$work/axe-$form.html" "$work/axe-$form.txt"
  if [ "$(head -n 1 "$work/axe-$form.txt")" != "violations 0" ]; then
    echo "export_svg_browser: axe-core finds violations in the $form page:"
    cat "$work/axe-$form.txt"
    exit 1
  fi
done
grep -q 'aria-label="West bed"' "$work/named-svg.html" || {
  echo "export_svg_browser: aria-labelledby is not carried into the link"
  exit 1
}
echo "export_svg_browser: the overlay picks as the map does and axe-core finds nothing"
