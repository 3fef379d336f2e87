// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/column_fit.h"

#include <QStyle>
#include <algorithm>

void FitColumn(QAbstractItemView& view, QHeaderView& header, int column, const QStringList& texts) {
    // The item delegate's own margin on each side of the text, and a pixel
    // for the grid line.
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    int width = 0;
    for (const QString& text : texts)
        width = std::max(width, view.fontMetrics().horizontalAdvance(text));
    header.setSectionResizeMode(column, QHeaderView::Interactive);
    header.resizeSection(column, std::max(width + 2 * margin + 1, header.sectionSizeHint(column)));
}
