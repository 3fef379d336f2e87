// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli area SHAPE POINT... [--zoom 1|2|PERCENT%] [--scroll X,Y] [--alt TEXT]
// [--href URL] [--title T] [--target T] [--id T] [--class T] [--rel T]
// [--upper|--lower]: reads the markup pane's text on stdin and
// prints it with the area's line inserted, as the map view would.

#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "desktop_commands.h"
#include "markup/area_attributes.h"
#include "markup/area_markup.h"
#include "markup_options.h"

namespace {

constexpr const char* kName = "area";

// The index of "--title" and the like in kMoreAttributeNames; past the end
// for anything else.
size_t MoreFlag(const std::string& arg) {
    size_t k = 0;
    while (k < std::size(kMoreAttributeNames) && arg != std::string("--") + kMoreAttributeNames[k])
        ++k;
    return k;
}

int RunArea(const cli::Args& args) {
    if (args.empty()) return cli::UsageOf(kName);
    const std::string shape = args[0];
    if (shape != "circle" && shape != "rect" && shape != "poly") return cli::UsageOf(kName);

    std::vector<ClientPoint> points;
    std::optional<ZoomScale> zoom;
    std::optional<bool> upper;
    std::optional<ClientPoint> scroll;
    std::optional<std::string> alt, href;
    AreaLink more;
    bool moreGiven[std::size(kMoreAttributeNames)] = {};
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        // A point may start with a minus sign, so points are tried first.
        if (const auto point = cli::ParsePoint(arg)) {
            points.push_back(*point);
        } else if (arg == "--zoom" && !zoom && hasValue) {
            zoom = ZoomScale::Parse(args[++i]);
            if (!zoom) return cli::UsageOf(kName);
        } else if (arg == "--scroll" && !scroll && hasValue) {
            scroll = cli::ParsePoint(args[++i]);
            if (!scroll) return cli::UsageOf(kName);
        } else if (arg == "--alt" && !alt && hasValue) {
            alt = args[++i];
        } else if (arg == "--href" && !href && hasValue) {
            href = args[++i];
        } else if (const size_t k = MoreFlag(arg);
                   k < std::size(kMoreAttributeNames) && !moreGiven[k] && hasValue) {
            moreGiven[k] = true;
            MoreAttribute(more, k) = args[++i];
        } else if ((arg == "--upper" || arg == "--lower") && !upper) {
            upper = arg == "--upper";
        } else {
            return cli::UsageOf(kName);
        }
    }
    const bool poly = shape == "poly";
    if (poly ? points.size() < 2 || points.size() > size_t{kMaxPolygonCorners} : points.size() != 2)
        return cli::UsageOf(kName);

    const ZoomScale z = zoom.value_or(ZoomScale());
    const ClientPoint s = scroll.value_or(ClientPoint{});
    const std::string a = alt.value_or(""), h = href.value_or("");
    std::string line;
    if (shape == "circle")
        line = FormatCircleArea(points[0], points[1], s, z, a, h);
    else if (shape == "rect")
        line = FormatRectArea(points[0], points[1], s, z, a, h);
    else
        line = FormatPolyArea(points, s, z, a, h);
    line = WithMoreAttributes(line, more);

    const std::string text = cli::ReadAllStdin();
    cli::WriteOut(InsertAreaLine(text, line, cli::MarkupSettingsFrom(std::nullopt, upper)));
    return cli::kOk;
}

const cli::Registration kArea({kName, cli::DesktopCommandUsage(kName), RunArea});

}  // namespace
