# SPDX-License-Identifier: GPL-3.0-or-later
# Asking a real browser (headless Chromium) what an image map means: sourced
# by end-to-end tests, not a test itself.
#
#   browser_probe_page PAGE MARKUP PROBES [MARKUP PROBES...]
#     writes the page PAGE: each MARKUP file (a pane text: an <img usemap>
#     and its <map>) in turn, and a script that asks the browser, for each
#     picture point "X Y" (one a line) of the PROBES file that goes with it,
#     which element is there. A MARKUP's relative picture names resolve
#     beside PAGE.
#   browser_run PAGE OUT
#     loads PAGE in headless Chromium and writes its answers to OUT, one line
#     per probe in order: "K X Y -" when no area holds the point, "K X Y
#     href=HREF" when one does (K counts the MARKUP files from 0); then one
#     line "K area HREF|ALT" per <area> element of each MARKUP, in order.
#   browser_hit_lines K MARKUP PROBES CLI
#     what `CLI hit` answers for the PROBES of MARKUP, in browser_run's form.

browser_binary() {
  local name
  for name in chromium chromium-browser; do
    if command -v "$name" >/dev/null 2>&1; then
      command -v "$name"
      return 0
    fi
  done
  echo "browser_common: no chromium found (Debian package chromium)" >&2
  return 1
}

browser_probe_page() {
  local page=$1
  shift
  {
    printf '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><style>'
    printf 'body{margin:0} .ze-block{margin:0 0 16px 0} .ze-block img{display:block;border:0}'
    printf '</style></head><body>\n'
    local blocks=0 probes="" markup points
    while [ $# -ge 2 ]; do
      markup=$1 points=$2
      shift 2
      printf '<div class="ze-block">\n'
      cat "$markup"
      printf '\n</div>\n'
      probes+="[$(awk 'NF >= 2 { printf "%s[%s,%s]", (n++ ? "," : ""), $1, $2 }' "$points")],"
      blocks=$((blocks + 1))
    done
    cat <<SCRIPT
<script>
var P = [${probes%,}];
onload = function () {
  var blocks = document.querySelectorAll('.ze-block'), out = [];
  for (var k = 0; k < P.length; k++) {
    var img = blocks[k].querySelector('img[usemap]');
    window.scrollTo(0, 0);
    var top = img.getBoundingClientRect().top;
    window.scrollTo(0, top);
    var r = img.getBoundingClientRect();
    for (var i = 0; i < P[k].length; i++) {
      var x = P[k][i][0], y = P[k][i][1];
      var e = document.elementFromPoint(r.left + x, r.top + y);
      out.push(k + ' ' + x + ' ' + y + ' ' +
               (e && e.tagName == 'AREA' ? 'href=' + (e.getAttribute('href') || '') : '-'));
    }
  }
  for (var k = 0; k < P.length; k++) {
    var areas = blocks[k].querySelectorAll('area');
    for (var j = 0; j < areas.length; j++)
      out.push(k + ' area ' + (areas[j].getAttribute('href') || '') + '|' +
               (areas[j].getAttribute('alt') || ''));
  }
  var pre = document.createElement('pre');
  pre.id = 'ze-results';
  pre.textContent = '\n' + out.join('\n') + '\n';
  document.body.appendChild(pre);
};
</script>
SCRIPT
    printf '</body></html>\n'
  } >"$page"
}

browser_run() {
  local page=$1 out=$2 browser profile dump
  browser=$(browser_binary) || return 1
  profile=$(mktemp -d)
  dump=$profile/dump.html
  # A fresh profile and no session bus: nothing to wait for at start-up.
  DBUS_SESSION_BUS_ADDRESS=disabled: timeout 120 "$browser" --headless --no-sandbox \
    --disable-gpu --no-first-run --disable-extensions --user-data-dir="$profile" \
    --window-size=1200,900 --virtual-time-budget=5000 \
    --dump-dom "file://$(realpath "$page")" >"$dump" 2>"$profile/log" || {
    echo "browser_run: chromium failed" >&2
    tail -n 5 "$profile/log" >&2
    rm -rf "$profile"
    return 1
  }
  # The result block, with the serializer's escapes undone.
  sed -n '/<pre id="ze-results">/,/<\/pre>/p' "$dump" | sed -e '1d' -e '$d' |
    sed -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&nbsp;/\xc2\xa0/g' -e 's/&amp;/\&/g' >"$out"
  # A helper the browser left behind may still be writing in the profile;
  # a folder left in /tmp is no failure of the page.
  rm -rf "$profile" 2>/dev/null || true
  if [ ! -s "$out" ]; then
    echo "browser_run: the page gave no answers" >&2
    return 1
  fi
}

browser_hit_lines() {
  # shellcheck disable=SC2046
  "$4" hit $(cat "$3") <"$2" |
    awk '{ if ($0 == "0") print "-"; else { sub(/^[0-9]+ /, ""); print "href=" $0 } }' |
    paste -d' ' <(awk -v k="$1" '{ print k, $1, $2 }' "$3") -
}
