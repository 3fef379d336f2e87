// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile pane texts through both exports and the page of their scaled look:
// every tag in what is written must be one the writer makes, with only the
// attributes it writes, never an event handler; the one script is its own.

#include "markup/responsive_map.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "markup/html_tags.h"
#include "markup/preview_page.h"

namespace {

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

bool KnownTag(const StartTag& tag) {
    return OneOf(tag.name,
                 {"div",    "svg",     "style", "defs", "clippath", "path",   "g",  "title",
                  "circle", "polygon", "rect",  "map",  "area",     "script", "a",  "img",
                  "meta",   "html",    "head",  "body", "p",        "table",  "tr", "td"});
}

// A shape's numbers: never an infinity or not a number.
void CheckNumbers(std::string_view out, const StartTag& tag) {
    if (!OneOf(tag.name, {"circle", "rect", "path", "polygon", "svg"})) return;
    for (const TagAttribute& a : tag.attributes) {
        const std::string_view value = tag.Value(out, a.name);
        if (value.find("inf") != std::string_view::npos ||
            value.find("nan") != std::string_view::npos)
            __builtin_trap();
    }
}

// Every '<' of the text opens a tag of ours, an end tag or one of our
// comments, or stands in our script's text; a stray one would be a tag of
// the input.
void CheckTags(std::string_view out) {
    size_t scripts = 0;
    for (size_t lt = out.find('<'); lt != std::string_view::npos; lt = out.find('<', lt + 1)) {
        const std::string_view rest = out.substr(lt + 1);
        if (rest.starts_with('/') || rest.starts_with(' ') || rest.starts_with("!--") ||
            rest.starts_with("!DOCTYPE"))
            continue;
        StartTag tag;
        if (!ReadStartTagAt(out, lt, tag) || !KnownTag(tag)) __builtin_trap();
        for (const TagAttribute& a : tag.attributes)
            if (a.name.starts_with("on") || a.name == "srcdoc" || a.name == "formaction")
                __builtin_trap();
        CheckNumbers(out, tag);
        if (tag.name == "script") {
            // Our script's text, up to its end tag.
            ++scripts;
            lt = out.find("</script>", tag.range.end);
            if (lt == std::string_view::npos) __builtin_trap();
        }
    }
    if (scripts > 1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const PictureSize picture{1 + data[0] % 200, 1 + data[1] % 200};
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    for (const ResponsiveForm form : {ResponsiveForm::kSvg, ResponsiveForm::kScalingMap}) {
        std::string out;
        if (MakeResponsiveMarkup(text, picture, form, &out)) CheckTags(out);
        std::string page;
        if (MakeScaledPreviewPage("file:///p.png", picture, text, form, 137, &page))
            CheckTags(page);
    }
    return 0;
}
