// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli hit X Y [X Y...] < TEXT: the href of the area a browser
// picks at picture point (X, Y) of the pane text's areas; exit 1 when there
// is none. With several points, one line per point: "LINE HREF" for the
// area picked (LINE as `areas` prints it) or "0" for none, and exit 0.

#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "markup/area_model.h"

namespace {

constexpr const char* kName = "hit";

std::optional<double> ParseNumber(const std::string& text) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int RunHit(const cli::Args& args) {
    if (args.empty() || args.size() % 2 != 0) return cli::UsageOf(kName);
    std::vector<double> points;
    for (const std::string& arg : args) {
        const auto value = ParseNumber(arg);
        if (!value) return cli::UsageOf(kName);
        points.push_back(*value);
    }
    const std::vector<AreaTag> areas = ParseAreas(cli::ReadAllStdin());
    if (points.size() == 2) {
        const int hit = HitTestAreas(areas, points[0], points[1]);
        if (hit < 0) return cli::Fail("no area at " + args[0] + "," + args[1]);
        cli::WriteOut(areas[hit].href + '\n');
        return cli::kOk;
    }
    std::string out;
    for (size_t k = 0; k < points.size(); k += 2) {
        const int hit = HitTestAreas(areas, points[k], points[k + 1]);
        out += hit < 0 ? "0\n" : std::to_string(areas[hit].line) + ' ' + areas[hit].href + '\n';
    }
    cli::WriteOut(out);
    return cli::kOk;
}

const cli::Registration kHit({kName, "X Y [X Y...] < TEXT", RunHit});

}  // namespace
