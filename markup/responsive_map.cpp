// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/responsive_map.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <span>
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

// The attributes of `tag` named in `known`, in the tag's order, each written
// anew from its decoded value. Nothing else of a stranger's tag goes into
// what we write: no event handler, no style.
std::string KnownAttributes(std::string_view text, const StartTag& tag,
                            std::span<const std::string_view> known) {
    std::string out;
    for (const TagAttribute& a : tag.attributes) {
        if (std::find(known.begin(), known.end(), a.name) == known.end()) continue;
        out += a.value.present() ? Attribute(a.name, DecodeAttributeValue(tag.Value(text, a.name)))
                                 : " " + a.name;
    }
    return out;
}

std::string KnownAttributes(std::string_view text, const StartTag& tag,
                            std::initializer_list<std::string_view> known) {
    return KnownAttributes(text, tag, std::span(known.begin(), known.end()));
}

// What of an image tag is written: what it shows and how it is named.
// title stays as the picture's tooltip.
constexpr std::string_view kImageAttributes[] = {"src", "alt", "title", "class", "id"};

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

// Beyond this distance from the origin a number is no longer drawn as
// written: SVG takes single-precision numbers, and sums of such numbers
// (a circle's box, a rectangle's width) overflow to infinity.
constexpr double kFar = 1e6;

bool Far(double v) {
    return !(v >= -kFar && v <= kFar);
}

// Brings an area's numbers within kFar where the pixels of the picture it
// covers stay the same: a rectangle cut to the picture's frame, a circle
// around a point near the picture given the radius that reaches the corner
// farthest from it. False when that cannot be done (a polygon or a circle's
// centre that far out): the area is left out.
bool BringNear(AreaTag& a, PictureSize picture) {
    std::vector<double>& c = a.coords;
    if (std::none_of(c.begin(), c.end(), Far)) return true;
    const double w = picture.width, h = picture.height;
    if (a.shape == AreaShape::kRect) {
        for (size_t i = 0; i < 4; ++i) c[i] = std::clamp(c[i], -1.0, (i % 2 ? h : w) + 1);
        return true;
    }
    if (a.shape != AreaShape::kCircle || Far(c[0]) || Far(c[1])) return false;
    const double dx = std::max(std::fabs(c[0]), std::fabs(c[0] - w));
    const double dy = std::max(std::fabs(c[1]), std::fabs(c[1] - h));
    c[2] = std::min(c[2], std::ceil(std::hypot(dx, dy)) + 1);
    return true;
}

void MakeSvg(std::string_view text, const StartTag& img, const std::vector<const AreaTag*>& given,
             PictureSize picture, const std::string& nl, std::string* out) {
    std::vector<AreaTag> near;
    near.reserve(given.size());
    std::vector<bool> tooFar(given.size(), false);
    std::vector<const AreaTag*> areas;
    for (size_t k = 0; k < given.size(); ++k) {
        near.push_back(*given[k]);
        if (near.back().valid && !BringNear(near.back(), picture)) {
            near.back().valid = false;
            tooFar[k] = true;
        }
        areas.push_back(&near.back());
    }
    const std::string w = std::to_string(picture.width), h = std::to_string(picture.height);
    const IdIndex ids = IndexIds(text);
    std::string& o = *out;
    o += "<div class=\"ze-map\" style=\"position:relative;width:100%\">" + nl + "<img";
    o += KnownAttributes(text, img, kImageAttributes);
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
            o += "<!-- the area at line " + std::to_string(a.line) + " is left out: " +
                 (tooFar[k] ? "its numbers are too large to draw" : "a browser ignores it") +
                 " -->" + nl;
            continue;
        }
        if (!a.hasHref) continue;
        StartTag tag;
        ReadStartTagAt(text, a.tag.begin, tag);
        std::string open = "<a" + Attribute("href", a.href);
        const std::string name = AreaAccessibleName(text, tag, ids);
        if (!name.empty()) open += Attribute("aria-label", name);
        open += KnownAttributes(text, tag, {"title", "target", "rel", "id", "class"});
        o += open + ">";
        if (!name.empty()) o += "<title>" + EscapeHtml(name, false) + "</title>";
        o += ShapeElement(a, picture, false) + "</a>" + nl;
    }
    o += "</svg>" + nl + "</div>" + nl;
}

// What of an area tag the scaling map writes: what a browser needs to pick
// and follow it, and how it is named and reached.
constexpr std::string_view kAreaAttributes[] = {
    "shape", "coords", "href",     "nohref", "alt",      "title",     "target",     "rel",
    "id",    "class",  "hreflang", "type",   "tabindex", "accesskey", "data-coords"};

void MakeScalingMap(std::string_view text, const StartTag& img, const StartTag& map,
                    const std::vector<const AreaTag*>& areas, PictureSize picture,
                    const std::string& nl, std::string* out) {
    std::string& o = *out;
    o += "<img" +
         KnownAttributes(text, img,
                         {"src", "alt", "title", "class", "id", "usemap", "width", "height"});
    if (!img.Find("width")) o += Attribute("width", std::to_string(picture.width));
    if (!img.Find("height")) o += Attribute("height", std::to_string(picture.height));
    o += ">" + nl;
    o += "<map" + KnownAttributes(text, map, {"name", "id"}) + ">" + nl;
    for (const AreaTag* a : areas) {
        StartTag tag;
        if (!ReadStartTagAt(text, a->tag.begin, tag)) continue;
        o += "<area" + KnownAttributes(text, tag, kAreaAttributes);
        if (a->valid && a->shape != AreaShape::kDefault && !tag.Find("data-coords")) {
            std::string coords;
            for (const double v : a->coords) coords += (coords.empty() ? "" : ",") + N(v);
            o += Attribute("data-coords", coords);
        }
        o += ">" + nl;
    }
    o += "</map>" + nl;
    for (const char* line : kScalingScript) o += std::string(line) + nl;
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
    StartTag map;
    ReadStartTagAt(text, span.mapBegin, map);
    if (form == ResponsiveForm::kSvg) {
        MakeSvg(text, img, areas, picture, nl, out);
    } else {
        MakeScalingMap(text, img, map, areas, picture, nl, out);
    }
    return true;
}

const char* ResponsivePolicySources() {
    // The SHA-256 of the SVG's <style>, of its three style attributes and of
    // the scaling script with "\n" line breaks: a change to any of them needs
    // its hash here anew (tests/e2e/hostile_exports.sh fails without).
    return "'sha256-ZOSPmPZbNSNYNZugaSivYIgNtLPdqB1gC5IZ/Zj6FFw=' 'unsafe-hashes' "
           "'sha256-6iBegJ/sWrknUapNb/VAyzeSkc73/g0eav9pJATaj7w=' "
           "'sha256-g7KoCxEcEDh+JLVspgO87cbM0+ad6EbcmlDPUqBMuEY=' "
           "'sha256-zKB9A/FdwjCGJQ6cE5kDXgGDEh8AUgpn+sIWRbvDzbs='";
}

const char* ResponsiveScriptSource() {
    return "'sha256-kTK6JS2bu7GFEpVoQosnhTyoACydajVmqfoVGrNmbGQ='";
}
