// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tools by id, the index the view keeps them by, and the window's
// commands that take each up (the original's command ids).

namespace tool_id {
enum : int { kCircle, kRect, kPolygon, kSelect, kTrace, kCount };
}

namespace tool_command {
constexpr int kCircle = 32772;
constexpr int kRect = 32774;
constexpr int kPolygon = 32775;
constexpr int kTrace = 32790;
constexpr int kSelect = 32810;
}  // namespace tool_command
