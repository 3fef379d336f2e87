// SPDX-License-Identifier: GPL-3.0-or-later
// The tool table: each tool's row, in id order.

#include <QKeySequence>
#include <QString>

#include "view/tools/outline_tool.h"
#include "view/tools/polygon_tool.h"
#include "view/tools/rect_tool.h"
#include "view/tools/select_tool.h"

std::span<const ToolDescriptor* const> MapTools() {
    static const ToolDescriptor* const rows[] = {&CRectTool::kCircleRow, &CRectTool::kRectRow,
                                                 &CPolygonTool::kRow, &CSelectTool::kRow,
                                                 &COutlineTool::kRow};
    static_assert(std::size(rows) == tool_id::kCount);
    return rows;
}

QString ToolMenuText(const ToolDescriptor& tool) {
    return QString::fromUtf8(tool.text) + QLatin1Char('\t') +
           QKeySequence(tool.key).toString(QKeySequence::PortableText);
}

const ToolDescriptor* ToolForKey(QKeyCombination key) {
    for (const ToolDescriptor* row : MapTools())
        if (row->key == key) return row;
    return nullptr;
}
