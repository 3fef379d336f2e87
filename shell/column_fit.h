// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Column widths measured from the few texts a column can hold, instead of
// Qt's resize-to-contents, which measures row by row and so costs the window
// time with every change of a list of thousands of rows.

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStringList>

// Makes `column` of `view` as wide as the widest of `texts` and its header,
// the user still free to drag it wider or narrower.
void FitColumn(QAbstractItemView& view, QHeaderView& header, int column, const QStringList& texts);
