// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/responsive_map.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "markup/accessible_name.h"
#include "markup/area_coords.h"
#include "markup/area_model.h"
#include "markup/html_tags.h"

namespace {

// The script of the scaling map. It keeps each area's coordinates in the
// picture's own pixels in data-coords (taking them from coords the first
// time) and writes coords for the size the image is shown at, in CSS pixels
// of its content box. A hidden image has no size and is left alone until it
// is shown: a ResizeObserver sees that, and so does a MutationObserver of the
// attributes that tabs and disclosures switch, which also answers where no
// frame is drawn in between.
constexpr const char* kScalingScript[] = {
    "<script>",
    "(function () {",
    "  if (window.zeScaleMaps) return;",
    "  function mapOf(img) {",
    "    var name = (img.getAttribute('usemap') || '').replace(/^[^#]*#?/, '');",
    "    var maps = document.getElementsByTagName('map');",
    "    for (var i = 0; i < maps.length; i++)",
    "      if (name && (maps[i].getAttribute('name') === name || maps[i].id === name))",
    "        return maps[i];",
    "    return null;",
    "  }",
    "  function scale(img) {",
    "    var map = mapOf(img), s = getComputedStyle(img), box = img.getBoundingClientRect();",
    "    if (!map || !img.naturalWidth || !img.naturalHeight) return;",
    "    function px(p) { return parseFloat(s[p]) || 0; }",
    "    var w = box.width - px('borderLeftWidth') - px('borderRightWidth') -",
    "            px('paddingLeft') - px('paddingRight');",
    "    var h = box.height - px('borderTopWidth') - px('borderBottomWidth') -",
    "            px('paddingTop') - px('paddingBottom');",
    "    if (w <= 0 || h <= 0) return;",
    "    var sx = w / img.naturalWidth, sy = h / img.naturalHeight;",
    "    var areas = map.getElementsByTagName('area');",
    "    for (var k = 0; k < areas.length; k++) {",
    "      var a = areas[k], kept = a.getAttribute('data-coords');",
    ("      if (kept === null) "
     "a.setAttribute('data-coords', kept = a.getAttribute('coords') || '');"),
    "      var circle = /^\\s*circ/i.test(a.getAttribute('shape') || '');",
    "      var c = kept.split(/[\\s,;]+/).filter(function (v) { return v !== ''; });",
    "      a.setAttribute('coords', c.map(function (v, j) {",
    "        var f = circle && j == 2 ? Math.min(sx, sy) : j % 2 ? sy : sx;",
    "        return Math.round(parseFloat(v) * f * 100) / 100;",
    "      }).join(','));",
    "    }",
    "  }",
    "  function watch() {",
    "    var imgs = document.querySelectorAll('img[usemap]');",
    "    for (var i = 0; i < imgs.length; i++) {",
    "      var img = imgs[i];",
    "      if (img.zeScaled) { scale(img); continue; }",
    "      img.zeScaled = true;",
    "      img.addEventListener('load', scale.bind(null, img));",
    "      if (window.ResizeObserver) new ResizeObserver(scale.bind(null, img)).observe(img);",
    "      scale(img);",
    "    }",
    "  }",
    "  window.zeScaleMaps = watch;",
    "  if (window.MutationObserver)",
    "    new MutationObserver(watch).observe(document.documentElement, {attributes: true,",
    "      subtree: true, attributeFilter: ['style', 'class', 'hidden', 'open']});",
    "  if (document.readyState === 'loading') addEventListener('DOMContentLoaded', watch);",
    "  else watch();",
    "  addEventListener('load', watch);",
    "  addEventListener('resize', watch);",
    "})();",
    "</script>",
};

std::string Attribute(std::string_view name, std::string_view value) {
    return " " + std::string(name) + "=\"" + EscapeHtml(value, true) + "\"";
}

// An attribute as written in the tag, from its name to its value's end.
std::string_view RawAttribute(std::string_view text, const TagAttribute& a) {
    const size_t end = a.value.present() ? a.value.end + (a.quote ? 1 : 0) : a.nameRange.end;
    return text.substr(a.nameRange.begin, end - a.nameRange.begin);
}

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
};

Box BoxOf(const AreaTag& a, PictureSize picture) {
    const std::vector<double>& c = a.coords;
    switch (a.shape) {
        case AreaShape::kDefault:
            break;
        case AreaShape::kRect:
            return {std::min(c[0], c[2]), std::min(c[1], c[3]), std::max(c[0], c[2]),
                    std::max(c[1], c[3])};
        case AreaShape::kCircle:
            return {c[0] - c[2], c[1] - c[2], c[0] + c[2], c[1] + c[2]};
        case AreaShape::kPoly: {
            Box box{c[0], c[1], c[0], c[1]};
            for (size_t i = 1; i < c.size() / 2; ++i) {
                box.left = std::min(box.left, c[2 * i]);
                box.right = std::max(box.right, c[2 * i]);
                box.top = std::min(box.top, c[2 * i + 1]);
                box.bottom = std::max(box.bottom, c[2 * i + 1]);
            }
            return box;
        }
    }
    return {0, 0, double(picture.width), double(picture.height)};
}

std::string N(double v) {
    return FormatCoord(v);
}

// `pointer`: whether the shape takes the pointer (else only the focus ring).
std::string ShapeElement(const AreaTag& a, PictureSize picture, bool pointer = true) {
    const std::string common =
        std::string(" class=\"ze-shape\" fill=\"transparent\" pointer-events=\"") +
        (pointer ? "fill" : "none") + "\"/>";
    const std::vector<double>& c = a.coords;
    if (a.shape == AreaShape::kCircle)
        return "<circle cx=\"" + N(c[0]) + "\" cy=\"" + N(c[1]) + "\" r=\"" + N(c[2]) + "\"" +
               common;
    if (a.shape == AreaShape::kPoly) {
        std::string points;
        for (size_t i = 0; i < c.size() / 2; ++i)
            points += (i == 0 ? "" : " ") + N(c[2 * i]) + "," + N(c[2 * i + 1]);
        return "<polygon points=\"" + points + "\" fill-rule=\"evenodd\"" + common;
    }
    const Box b = BoxOf(a, picture);
    return "<rect x=\"" + N(b.left) + "\" y=\"" + N(b.top) + "\" width=\"" + N(b.right - b.left) +
           "\" height=\"" + N(b.bottom - b.top) + "\"" + common;
}

void MakeSvg(std::string_view text, const StartTag& img, const std::vector<const AreaTag*>& areas,
             PictureSize picture, const std::string& nl, std::string* out) {
    const std::string w = std::to_string(picture.width), h = std::to_string(picture.height);
    const IdIndex ids = IndexIds(text);
    std::string& o = *out;
    o += "<div class=\"ze-map\" style=\"position:relative;width:100%\">" + nl + "<img";
    for (const TagAttribute& a : img.attributes)
        if (a.name != "usemap" && a.name != "width" && a.name != "height" && a.name != "style")
            o += " " + std::string(RawAttribute(text, a));
    o += " width=\"" + w + "\" height=\"" + h +
         "\" style=\"display:block;width:100%;height:auto\">" + nl;
    o += "<svg viewBox=\"0 0 " + w + " " + h +
         "\" preserveAspectRatio=\"none\" "
         "style=\"position:absolute;left:0;top:0;width:100%;height:100%\">" +
         nl;
    o += "<style>.ze-map a:focus{outline:none}.ze-map a:focus .ze-shape{stroke:#1a73e8;"
         "stroke-width:3px;vector-effect:non-scaling-stroke}</style>" +
         nl;

    // Two layers. The pointer's: every shape in reverse map order, so that
    // the first area a browser would pick at a point is the one drawn on top
    // there, edges included; their links are kept from the keyboard and from
    // assistive technology. The keyboard's: the links in the map's order,
    // named, their shapes only showing the focus ring.
    const size_t n = areas.size();
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = n; k-- > 0;) {
            const AreaTag& a = *areas[k];
            if (!a.valid || (a.shape == AreaShape::kDefault) == (pass == 1)) continue;
            StartTag tag;
            ReadStartTagAt(text, a.tag.begin, tag);
            std::string open = "<g>";
            if (a.hasHref) {
                open = "<a" + Attribute("href", a.href);
                for (const char* name : {"target", "rel"})
                    if (tag.Find(name))
                        open += Attribute(name, DecodeAttributeValue(tag.Value(text, name)));
                open += " tabindex=\"-1\" aria-hidden=\"true\">";
            }
            o += open + ShapeElement(a, picture) + (a.hasHref ? "</a>" : "</g>") + nl;
        }
    }
    for (size_t k = 0; k < n; ++k) {
        const AreaTag& a = *areas[k];
        if (!a.valid) {
            o += "<!-- the area at line " + std::to_string(a.line) +
                 " is left out: a browser ignores it -->" + nl;
            continue;
        }
        if (!a.hasHref) continue;
        StartTag tag;
        ReadStartTagAt(text, a.tag.begin, tag);
        std::string open = "<a" + Attribute("href", a.href);
        const std::string name = AreaAccessibleName(text, tag, ids);
        if (!name.empty()) open += Attribute("aria-label", name);
        for (const char* attr : {"title", "target", "rel", "id", "class"})
            if (tag.Find(attr))
                open += Attribute(attr, DecodeAttributeValue(tag.Value(text, attr)));
        o += open + ">";
        if (!name.empty()) o += "<title>" + EscapeHtml(name, false) + "</title>";
        o += ShapeElement(a, picture, false) + "</a>" + nl;
    }
    o += "</svg>" + nl + "</div>" + nl;
}

void MakeScalingMap(std::string_view text, const StartTag& img, const ImageMapSpan& span,
                    const std::vector<const AreaTag*>& areas, PictureSize picture,
                    const std::string& nl, std::string* out) {
    std::vector<std::pair<size_t, std::string>> inserts;
    std::string size;
    if (!img.Find("width")) size += " width=\"" + std::to_string(picture.width) + "\"";
    if (!img.Find("height")) size += " height=\"" + std::to_string(picture.height) + "\"";
    if (!size.empty()) inserts.emplace_back(img.attributesEnd, size);
    for (const AreaTag* a : areas) {
        StartTag tag;
        if (!a->valid || a->shape == AreaShape::kDefault ||
            !ReadStartTagAt(text, a->tag.begin, tag) || tag.Find("data-coords"))
            continue;
        std::string coords;
        for (const double v : a->coords) coords += (coords.empty() ? "" : ",") + N(v);
        inserts.emplace_back(tag.attributesEnd, Attribute("data-coords", coords));
    }
    std::sort(inserts.begin(), inserts.end());
    // The image tag and the map element, each with what goes into it.
    auto piece = [&](size_t from, size_t to) {
        for (const auto& [offset, insert] : inserts) {
            if (offset < from || offset > to) continue;
            out->append(text.substr(from, offset - from));
            *out += insert;
            from = offset;
        }
        out->append(text.substr(from, to - from));
    };
    piece(span.image, img.range.end);
    *out += nl;
    piece(span.mapBegin, span.mapEnd);
    *out += nl;
    for (const char* line : kScalingScript) *out += std::string(line) + nl;
}

}  // namespace

bool MakeResponsiveMarkup(std::string_view text, PictureSize picture, ResponsiveForm form,
                          std::string* out, const std::string* source, size_t image) {
    ImageMapSpan span;
    StartTag img;
    if (!picture.Known() || !FindImageMap(text, image, &span) ||
        !ReadStartTagAt(text, span.image, img))
        return false;
    if (source) {
        // The image's src replaced in the text, which is then read afresh.
        const std::string value = "src=\"" + EscapeHtml(*source, true) + "\"";
        std::string changed(text);
        if (const TagAttribute* src = img.Find("src")) {
            const std::string_view raw = RawAttribute(text, *src);
            changed.replace(src->nameRange.begin, raw.size(), value);
        } else {
            changed.insert(img.attributesEnd, " " + value);
        }
        return MakeResponsiveMarkup(changed, picture, form, out, nullptr, image);
    }
    const std::vector<AreaTag> all = ParseAreas(text);
    std::vector<const AreaTag*> areas;
    for (const AreaTag& a : all)
        if (a.tag.begin > span.mapBegin && a.tag.end <= span.mapEnd) areas.push_back(&a);
    const std::string nl = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    out->clear();
    if (form == ResponsiveForm::kSvg) {
        MakeSvg(text, img, areas, picture, nl, out);
    } else {
        MakeScalingMap(text, img, span, areas, picture, nl, out);
    }
    return true;
}

std::string MakeScaledPreviewPage(const std::string& markup, PictureSize picture,
                                  ResponsiveForm form, int percent) {
    const std::string width = FormatCoord(picture.width * percent / 100.0);
    const std::string what =
        std::string(form == ResponsiveForm::kSvg ? "SVG overlay" : "scaling map") + " at " +
        std::to_string(percent) + " % (" + width + " px wide)";
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + what +
           "</title>\n<style>body{margin:16px;font:14px sans-serif} "
           ".ze-frame{width:" +
           width +
           "px;outline:1px dashed #888} .ze-frame img{width:100%;height:auto}</style>"
           "</head>\n<body>\n<p>" +
           what + "</p>\n<div class=\"ze-frame\">\n" + markup + "</div>\n</body></html>\n";
}
