#include "markup/preview_page.h"

#include <string_view>

#include "markup/html_tags.h"

namespace {

std::string EscapeAttribute(std::string_view value) {
    std::string out;
    for (const char c : value) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

constexpr const char* kHead = R"(<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8">
<title>Zer Evizi SEKKA - ブラウザで確認</title>
<style>
body { font-family: sans-serif; margin: 16px; }
#ze-stage { position: relative; display: inline-block; line-height: 0; }
#ze-outline { position: absolute; left: 0; top: 0; pointer-events: none; }
#ze-href { margin-top: 8px; font: 14px monospace; min-height: 1.3em; }
</style></head>
<body>
)";

constexpr const char* kScript = R"(<script>
(function () {
  var img = document.getElementById('ze-picture');
  var canvas = document.getElementById('ze-outline');
  var label = document.getElementById('ze-href');
  var name = (img.getAttribute('usemap') || '').replace(/^[^#]*#/, '');
  var map = null;
  document.querySelectorAll('map').forEach(function (m) {
    if (!map && (m.getAttribute('name') === null ? m.id : m.getAttribute('name')) === name) map = m;
  });
  var areas = map ? Array.prototype.slice.call(map.querySelectorAll('area')) : [];
  function outline(area) {
    var c = canvas.getContext('2d');
    c.clearRect(0, 0, canvas.width, canvas.height);
    if (!area) return;
    var k = (area.getAttribute('coords') || '').split(/[\s,]+/).filter(Boolean).map(parseFloat);
    var shape = (area.getAttribute('shape') || 'rect').toLowerCase();
    c.beginPath();
    if (shape.indexOf('circ') === 0) c.arc(k[0], k[1], k[2], 0, 2 * Math.PI);
    else if (shape.indexOf('poly') === 0) {
      c.moveTo(k[0], k[1]);
      for (var i = 2; i + 1 < k.length; i += 2) c.lineTo(k[i], k[i + 1]);
      c.closePath();
    } else if (shape === 'default') c.rect(0, 0, canvas.width, canvas.height);
    else c.rect(k[0], k[1], k[2] - k[0], k[3] - k[1]);
    c.lineWidth = 3; c.strokeStyle = '#000'; c.stroke();
    c.lineWidth = 1; c.strokeStyle = '#ff0'; c.stroke();
  }
  areas.forEach(function (area) {
    area.addEventListener('mouseover', function () {
      outline(area);
      label.textContent = area.hasAttribute('href') ? area.getAttribute('href') : '(href なし)';
    });
    area.addEventListener('mouseout', function () { outline(null); label.textContent = ''; });
    area.addEventListener('click', function (e) { e.preventDefault(); });
  });
  window.addEventListener('load', function () {
    var lines = [img.complete && img.naturalWidth > 0
                 ? 'picture ' + img.naturalWidth + 'x' + img.naturalHeight : 'picture missing'];
    areas.forEach(function (a) {
      lines.push('area ' + (a.getAttribute('shape') || '') + ' ' + (a.getAttribute('coords') || '') +
                 ' ' + (a.getAttribute('href') || ''));
    });
    document.getElementById('ze-check').textContent = lines.join('\n');
  });
})();
</script>
</body></html>
)";

}  // namespace

bool MakePreviewPage(const std::string& pictureUrl, int width, int height,
                     const std::string& paneText, std::string* page) {
    size_t imageBegin = std::string::npos;
    size_t imageEnd = 0;
    std::string mapName;
    bool haveMap = false;
    CHtmlTagScanner scanner(paneText);
    StartTag tag;
    while ((imageBegin == std::string::npos || !haveMap) && scanner.Next(tag)) {
        if (tag.name == "img" && imageBegin == std::string::npos) {
            imageBegin = tag.range.begin;
            imageEnd = tag.range.end;
        } else if (tag.name == "map" && !haveMap) {
            mapName = DecodeAttributeValue(tag.Value(paneText, tag.Find("name") ? "name" : "id"));
            haveMap = true;
        }
    }
    if (!haveMap) return false;
    std::string rest = paneText;
    if (imageBegin != std::string::npos) rest.erase(imageBegin, imageEnd - imageBegin);

    std::string out = kHead;
    out += "<div id=\"ze-stage\"><img id=\"ze-picture\" src=\"" + EscapeAttribute(pictureUrl) +
           "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\" usemap=\"#" + EscapeAttribute(mapName) + "\" alt=\"\">";
    out += "<canvas id=\"ze-outline\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\"></canvas></div>\n<div id=\"ze-href\"></div>\n";
    out += "<div id=\"ze-markup\">\n" + rest + "\n</div>\n<pre id=\"ze-check\" hidden></pre>\n";
    out += kScript;
    *page = std::move(out);
    return true;
}
