// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The area list (領域一覧): a dock beside the pane with one row per area tag
// of the pane text in document order: its number, shape, href, alt, title,
// its problems, and the earlier areas a browser picks where they overlap it.
// A row selected selects the area on the picture (and so its tag in the
// pane), and the other way round. An edited cell rewrites that attribute in
// the tag; a row dragged, or moved by 前面へ / 背面へ (Ctrl+Up / Ctrl+Down),
// moves its tag among the map's tags, the order a browser tries them in.
// Every change is one edit of the pane text, one step of its undo history;
// what the rows say and how the text changes is markup/area_attributes.

#include <QAbstractTableModel>
#include <QAction>
#include <QDockWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "markup/area_model.h"
#include "markup/map_check.h"
#include "shell/check_runner.h"

class CMapView;
class MarkupPane;

class CAreaListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kNumber, kShape, kHref, kAlt, kTitle, kProblems, kFront, kColumns };

    explicit CAreaListModel(MarkupPane& pane);
    // The size of the picture the areas are on, for the problems that need
    // it (unset or 0 x 0: those are left out).
    void SetPictureSize(std::function<PictureSize()> picture) { m_picture = std::move(picture); }
    // Asks `checker` instead of a checker of its own, so that the rows and
    // another view of the findings share one check of each text.
    void SetChecker(CCheckRunner& checker);

    // Reads the pane text again when it changed; true when it had.
    bool Refresh();
    const std::vector<AreaTag>& Areas() const { return m_areas; }
    // Moves the tag of row `from` so that it becomes row `to`, one edit.
    // False when it cannot move there (another map, a stale text).
    bool MoveRow(int from, int to);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;

signals:
    // A row moved to `row` by a drop or MoveRow.
    void rowMoved(int row);

private:
    // The text shown in column `column` of row `row`.
    QString Cell(int row, int column) const;
    void ShowProblems();

    MarkupPane& m_pane;
    std::string m_text;  // the pane text the rows were read from
    bool m_read = false;
    std::vector<AreaTag> m_areas;
    // Which earlier areas are in front of each row, worked out when a row
    // first shows (empty: not yet).
    mutable std::vector<QString> m_front;
    mutable std::vector<bool> m_frontKnown;
    // The map checker's findings about each row, asked for on a worker
    // thread when the column first shows after a change (empty till then).
    std::function<PictureSize()> m_picture;
    std::vector<QString> m_problems;
    mutable bool m_problemsAsked = false;
    CCheckRunner m_ownChecker;
    CCheckRunner* m_checker = &m_ownChecker;
    QMetaObject::Connection m_checked;
};

class CAreaListDock : public QDockWidget {
    Q_OBJECT
public:
    CAreaListDock(MarkupPane& pane, CMapView& view, QWidget* parent = nullptr);

    QTableView& Table() { return m_table; }
    CAreaListModel& Model() { return m_model; }
    QAction& FrontAction() { return m_front; }
    QAction& BackAction() { return m_back; }

public slots:
    // The pane text changed: the rows follow shortly, once for a burst.
    void OnPaneChanged();
    // Reads the pane now and shows the view's selection.
    void Refresh();
    // Moves the selected area one place earlier (前面へ) or later.
    void OnFront();
    void OnBack();

private:
    void ShowSelection(const QList<int>& areas);
    // The number column as wide as the last row's number.
    void FitNumbers();
    void RowsSelected();
    void MoveSelected(int step);

    CMapView& m_view;
    CAreaListModel m_model;
    QWidget m_client;
    QVBoxLayout m_layout{&m_client};
    QToolBar m_toolBar;
    QTableView m_table;
    QAction m_front;
    QAction m_back;
    QTimer m_timer;
    bool m_syncing = false;  // the selection is being shown: not sent back
};
