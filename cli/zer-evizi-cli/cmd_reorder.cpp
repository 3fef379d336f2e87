// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli reorder FROM TO < TEXT: prints the pane text with the
// FROM-th area tag (1-based, document order) moved to place TO among its
// map's tags, as the area list moves a row; the bytes between tags stay.
// Fails when the tags cannot move there (another map, no such tag).

#include <string>

#include "command.h"
#include "markup/area_attributes.h"

namespace {

constexpr const char* kName = "reorder";

int RunReorder(const cli::Args& args) {
    if (args.size() != 2) return cli::UsageOf(kName);
    const std::optional<int> from = cli::ParseInt(args[0]), to = cli::ParseInt(args[1]);
    if (!from || !to || *from < 1 || *to < 1) return cli::UsageOf(kName);
    const std::string text = cli::ReadAllStdin();
    const std::vector<AreaTag> areas = ParseAreas(text);
    if (*from == *to && size_t(*from) <= areas.size()) {
        cli::WriteOut(text);
        return cli::kOk;
    }
    const TextEdit edit = MoveAreaTagEdit(text, areas, size_t(*from - 1), size_t(*to - 1));
    if (edit.removed == 0 && edit.inserted.empty())
        return cli::Fail("area " + args[0] + " cannot move to place " + args[1]);
    cli::WriteOut(ApplyEdit(text, edit));
    return cli::kOk;
}

const cli::Registration kReorder({kName, "FROM TO < TEXT", RunReorder});

}  // namespace
