// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli areas < TEXT: one line per area tag of the pane text, as a
// browser reads it: "N SHAPE COORDS href=HREF alt=ALT [NAME=VALUE...]
// [invalid]", the other attributes in tag order.

#include <string>

#include "command.h"
#include "markup/area_attributes.h"
#include "markup/area_coords.h"
#include "markup/area_model.h"

namespace {

constexpr const char* kName = "areas";

// Keeps each area on one line: backslash, CR, LF and tab are escaped.
std::string Escaped(const std::string& value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int RunAreas(const cli::Args& args) {
    if (!args.empty()) return cli::UsageOf(kName);
    static const char* const kShapes[] = {"rect", "circle", "poly", "default"};
    std::string out;
    const std::string text = cli::ReadAllStdin();
    for (const AreaTag& area : ParseAreas(text)) {
        out += std::to_string(area.line) + ' ' + kShapes[static_cast<int>(area.shape)] + ' ';
        if (area.coords.empty()) out += '-';
        for (size_t k = 0; k < area.coords.size(); ++k)
            out += (k ? "," : "") + FormatCoord(area.coords[k]);
        out += " href=" + Escaped(area.href) + " alt=" + Escaped(area.alt);
        for (const NamedValue& attr : ReadAreaAttributes(text, area))
            if (attr.name != "shape" && attr.name != "coords" && attr.name != "href" &&
                attr.name != "alt")
                out += ' ' + Escaped(attr.name) + '=' + Escaped(attr.value);
        if (!area.valid) out += " invalid";
        out += '\n';
    }
    cli::WriteOut(out);
    return cli::kOk;
}

const cli::Registration kAreas({kName, "< TEXT", RunAreas});

}  // namespace
