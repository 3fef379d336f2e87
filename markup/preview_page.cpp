// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/preview_page.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "markup/area_coords.h"
#include "markup/area_model.h"
#include "markup/html_tags.h"

namespace {

// The page's own style and script. The page's policy lets in no style or
// script but these two, by their SHA-256: a change to either needs a new
// hash below (tests/e2e/browser_preview.sh fails without one).
constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 16px; }
#ze-stage { position: relative; display: inline-block; line-height: 0; }
#ze-outline { position: absolute; left: 0; top: 0; pointer-events: none; }
#ze-href { margin-top: 8px; font: 14px monospace; min-height: 1.3em; }
)";
constexpr const char* kStyleHash = "xMPUTTdbqEXXT05ZSqhSQN3URh3vnjdKNC8gWsmCxAI=";

constexpr const char* kScript = R"(
(function () {
  var img = document.getElementById('ze-picture');
  var canvas = document.getElementById('ze-outline');
  var label = document.getElementById('ze-href');
  var areas = Array.prototype.slice.call(document.querySelectorAll('#ze-map area'));
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
)";
constexpr const char* kScriptHash = "AvQVPvpqyy67NBwwLIEYlWNIlfJOx7MijW5RTeRj8F4=";

// The area tags of the map whose start tag ends at `from`: those before its
// end tag (maps nest as elements do), or before the end of the text.
std::vector<AreaTag> AreasOfMap(const std::string& text, size_t from) {
    size_t end = text.size();
    size_t depth = 1;
    CHtmlTagScanner scanner(text, from);
    scanner.ReportEndTags();
    StartTag tag;
    while (scanner.Next(tag)) {
        if (tag.name != "map") continue;
        if (!tag.closing) {
            ++depth;
        } else if (--depth == 0) {
            end = tag.range.begin;
            break;
        }
    }
    std::vector<AreaTag> areas = ParseAreasFrom(text, from, 1);
    while (!areas.empty() && areas.back().tag.end > end) areas.pop_back();
    return areas;
}

// The page's start up to its title, with a policy that lets in pictures
// from files and only the styles and scripts listed.
std::string PageHead(const std::string& styles, const std::string& scripts) {
    return R"(<!DOCTYPE html>
<html lang="ja"><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; img-src file:; style-src )" +
           styles + "; script-src " + scripts + R"(; base-uri 'none'; form-action 'none'">
)";
}

// The scaled look's own style. The frame's width is its table's attribute,
// so that the style, and its hash, stay the same at every width.
constexpr const char* kScaledStyle =
    "body{margin:16px;font:14px sans-serif} .ze-frame{table-layout:fixed;border-collapse:"
    "collapse;outline:1px dashed #888} .ze-frame td{padding:0} .ze-frame img{width:100%;"
    "height:auto}";
constexpr const char* kScaledStyleHash = "Fjz846wx5Dp+mRQaX5dk1j8H6G0Da9r3HE4zvXhXACE=";

}  // namespace

bool MakeScaledPreviewPage(const std::string& pictureUrl, PictureSize picture,
                           std::string_view paneText, ResponsiveForm form, int percent,
                           std::string* page) {
    // One kind of line break, that the policy's hash of the script holds.
    std::string text(paneText);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::string markup;
    if (!MakeResponsiveMarkup(text, picture, form, &markup, &pictureUrl)) return false;
    const std::string width = FormatCoord(picture.width * percent / 100.0);
    const std::string what =
        std::string(form == ResponsiveForm::kSvg ? "SVG overlay" : "scaling map") + " at " +
        std::to_string(percent) + " % (" + width + " px wide)";
    std::string out =
        PageHead(std::string("'sha256-") + kScaledStyleHash + "' " + ResponsivePolicySources(),
                 ResponsiveScriptSource());
    out += "<title>" + what + "</title>\n<style>" + kScaledStyle + "</style></head>\n<body>\n<p>" +
           what + "</p>\n<table class=\"ze-frame\" width=\"" + width + "\"><tr><td>\n" + markup +
           "</td></tr></table>\n</body></html>\n";
    *page = std::move(out);
    return true;
}

bool MakePreviewPage(const std::string& pictureUrl, int width, int height,
                     const std::string& paneText, std::string* page) {
    CHtmlTagScanner scanner(paneText);
    StartTag tag;
    bool found = false;
    while (!found && scanner.Next(tag)) found = tag.name == "map";
    if (!found) return false;
    std::string mapName =
        DecodeAttributeValue(tag.Value(paneText, tag.Find("name") ? "name" : "id"));
    if (mapName.empty()) mapName = "ze-map";

    // Only what the areas mean goes in, written anew: nothing of the pane's
    // text runs or shows on the page.
    std::string out = PageHead(std::string("'sha256-") + kStyleHash + "'",
                               std::string("'sha256-") + kScriptHash + "'");
    out += R"(<title>Zer Evizi SEKKA - ブラウザで確認</title>
<style>)";
    out += kStyle;
    out += "</style></head>\n<body>\n";
    out += "<div id=\"ze-stage\"><img id=\"ze-picture\" src=\"" + EscapeHtml(pictureUrl, true) +
           "\" width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) +
           "\" usemap=\"#" + EscapeHtml(mapName, true) + "\" alt=\"\">";
    out += "<canvas id=\"ze-outline\" width=\"" + std::to_string(width) + "\" height=\"" +
           std::to_string(height) + "\"></canvas></div>\n<div id=\"ze-href\"></div>\n";
    out += "<map id=\"ze-map\" name=\"" + EscapeHtml(mapName, true) + "\">\n";
    for (const AreaTag& area : AreasOfMap(paneText, tag.range.end)) {
        StartTag areaTag;
        if (!ReadStartTagAt(paneText, area.tag.begin, areaTag)) continue;
        out += "<area";
        for (const TagAttribute& a : areaTag.attributes) {
            if (a.name != "shape" && a.name != "coords" && a.name != "href" && a.name != "alt")
                continue;
            out += " " + a.name + "=\"" +
                   EscapeHtml(DecodeAttributeValue(areaTag.Value(paneText, a.name)), true) + "\"";
        }
        out += ">\n";
    }
    out += "</map>\n<pre id=\"ze-check\" hidden></pre>\n<script>";
    out += kScript;
    out += "</script>\n</body></html>\n";
    *page = std::move(out);
    return true;
}
