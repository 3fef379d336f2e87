// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli trace PICTURE X Y [--tolerance N] [--max-corners N]
// [--upper|--lower] [--full-colour]: the area line that the outline tool
// inserts for a click at picture pixel X,Y, with an empty link and
// alternative text (with 表示 > フルカラー on, for --full-colour).

#include <optional>
#include <string>
#include <vector>

#include "cli_settings.h"
#include "command.h"
#include "desktop_commands.h"
#include "document/settings.h"
#include "image/image.h"
#include "image/region_trace.h"
#include "markup/area_markup.h"

namespace {

constexpr const char* kName = "trace";

int RunTrace(const cli::Args& args) {
    std::string path;
    std::vector<int> point;
    std::optional<int> tolerance, maxCorners, tag;
    bool fullColour = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--full-colour" && !fullColour) {
            fullColour = true;
        } else if (arg == "--tolerance" && !tolerance && hasValue) {
            tolerance = cli::ParseInt(args[++i]);
            if (!tolerance || *tolerance < 0 || *tolerance > kMaxTraceTolerance)
                return cli::UsageOf(kName);
        } else if (arg == "--max-corners" && !maxCorners && hasValue) {
            maxCorners = cli::ParseInt(args[++i]);
            if (!maxCorners || *maxCorners < 3 || *maxCorners > kMaxTraceCorners)
                return cli::UsageOf(kName);
        } else if ((arg == "--upper" || arg == "--lower") && !tag) {
            tag = arg == "--upper" ? 1 : 0;
        } else if (path.empty() && !arg.starts_with("--")) {
            path = arg;
        } else if (!path.empty() && point.size() < 2 && cli::ParseInt(arg)) {
            point.push_back(*cli::ParseInt(arg));
        } else {
            return cli::UsageOf(kName);
        }
    }
    if (path.empty() || point.size() != 2) return cli::UsageOf(kName);

    CImage image;
    if (const int status = cli::LoadPicture(path, fullColour, &image); status != cli::kOk)
        return status;
    const int x = point[0], y = point[1];
    if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
        return cli::Fail(std::to_string(x) + "," + std::to_string(y) + " is outside the picture (" +
                         std::to_string(image.GetWidth()) + "x" +
                         std::to_string(image.GetHeight()) + ")");

    cli::InstallSettingsStore();
    TraceOptions options;
    options.tolerance = tolerance.value_or(GetTraceToleranceSetting());
    options.maxCorners = maxCorners.value_or(kMaxTraceCorners);
    RegionTrace trace;
    if (!TraceRegion(image, x, y, options, &trace)) return cli::Fail("cannot trace " + path);

    std::vector<ClientPoint> corners;
    for (const TracePoint& p : trace.corners) corners.push_back({p.x, p.y});
    std::string line = FormatPolyArea(corners, {}, 1, "", "");
    // As the pane holds it: upper-cased with the tag setting, then CR LF.
    if (tag.value_or(GetTagSetting()) != 0) line = UpperCaseOutsideQuotes(line);
    cli::WriteOut(line + "\r\n");
    return cli::kOk;
}

const cli::Registration kTrace({kName, cli::DesktopCommandUsage(kName), RunTrace});

}  // namespace
