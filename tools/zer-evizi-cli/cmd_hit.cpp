// zer-evizi-cli hit X Y < TEXT: the href of the area a browser picks at
// picture point (X, Y) of the pane text's areas; exit 1 when there is none.

#include <charconv>
#include <cmath>
#include <optional>
#include <string>

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
    if (args.size() != 2) return cli::UsageOf(kName);
    const auto x = ParseNumber(args[0]), y = ParseNumber(args[1]);
    if (!x || !y) return cli::UsageOf(kName);
    const std::vector<AreaTag> areas = ParseAreas(cli::ReadAllStdin());
    const int hit = HitTestAreas(areas, *x, *y);
    if (hit < 0) return cli::Fail("no area at " + args[0] + "," + args[1]);
    cli::WriteOut(areas[hit].href + '\n');
    return cli::kOk;
}

const cli::Registration kHit({kName, "X Y < TEXT", RunHit});

}  // namespace
