// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/area_list.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <algorithm>
#include <vector>

#include "document/map_doc.h"
#include "markup/area_attributes.h"
#include "markup/markup_pane.h"
#include "shell/column_fit.h"
#include "shell/problems_panel.h"
#include "view/map_view.h"

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

const char kRowMime[] = "application/x-zer-evizi-area-row";

// The numbers of the areas in front, at most this many before "...".
constexpr size_t kFrontShown = 5;

}  // namespace

CAreaListModel::CAreaListModel(MarkupPane& pane) : m_pane(pane) {
    SetChecker(m_ownChecker);
}

void CAreaListModel::SetChecker(CCheckRunner& checker) {
    disconnect(m_checked);
    m_checker = &checker;
    m_checked = connect(m_checker, &CCheckRunner::checked, this, &CAreaListModel::ShowProblems);
    m_problemsAsked = false;
}

bool CAreaListModel::Refresh() {
    const std::string& text = m_pane.Text();
    if (m_read && text == m_text) return false;
    m_read = true;
    std::vector<AreaTag> areas = UpdateAreas(std::move(m_areas), m_text, text);
    // The same rows with new contents (an edited cell, typing in a tag):
    // the rows stay, and with them the selection and the current cell.
    const bool sameRows = areas.size() == m_front.size() && !areas.empty();
    if (!sameRows) beginResetModel();
    m_areas = std::move(areas);
    m_text = text;
    m_front.assign(m_areas.size(), QString());
    m_frontKnown.assign(m_areas.size(), false);
    m_problems.assign(m_areas.size(), QString());
    m_problemsAsked = false;
    if (sameRows)
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
    else
        endResetModel();
    return true;
}

bool CAreaListModel::MoveRow(int from, int to) {
    Refresh();
    if (from < 0 || to < 0) return false;
    const TextEdit edit = MoveAreaTagEdit(m_text, m_areas, size_t(from), size_t(to));
    if (edit.removed == 0 && edit.inserted.empty()) return false;
    m_pane.ApplyEdit(edit);
    Refresh();
    emit rowMoved(to);
    return true;
}

int CAreaListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_areas.size());
}

int CAreaListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString CAreaListModel::Cell(int row, int column) const {
    const AreaTag& area = m_areas[size_t(row)];
    switch (column) {
        case kNumber:
            return QString::number(row + 1);
        case kShape: {
            static const char* const kShapes[] = {"rect", "circle", "poly", "default"};
            return QString::fromUtf8(kShapes[int(area.shape)]);
        }
        case kHref:
            return QString::fromStdString(area.href);
        case kAlt:
            return QString::fromStdString(area.alt);
        case kTitle:
            return QString::fromStdString(AreaLinkOf(m_text, area).title);
        case kProblems:
            if (!m_problemsAsked) {
                m_problemsAsked = true;
                m_checker->Request(m_text, m_picture ? m_picture() : PictureSize{});
            }
            return m_problems[size_t(row)];
        case kFront: {
            if (!m_frontKnown[size_t(row)]) {
                const std::vector<size_t> front = AreasInFront(m_areas, size_t(row));
                QStringList numbers;
                for (size_t i = 0; i < front.size() && i < kFrontShown; ++i)
                    numbers << QString::number(front[i] + 1);
                if (front.size() > kFrontShown) numbers << QStringLiteral("...");
                m_front[size_t(row)] =
                    numbers.isEmpty() ? QString() : U("%1 が優先").arg(numbers.join(U(", ")));
                m_frontKnown[size_t(row)] = true;
            }
            return m_front[size_t(row)];
        }
        default:
            return {};
    }
}

void CAreaListModel::ShowProblems() {
    // What the 問題 panel lists about each area, for the text the rows show.
    if (m_checker->Text() != m_text) return;
    const std::vector<MapFinding>& findings = m_checker->Findings();
    const std::vector<std::vector<size_t>> perArea = FindingsPerArea(findings, m_areas.size());
    m_problems.assign(m_areas.size(), QString());
    for (size_t row = 0; row < m_areas.size(); ++row) {
        QStringList parts;
        for (size_t i : perArea[row]) {
            parts << U(RuleLabel(findings[i].rule));
        }
        parts.removeDuplicates();
        m_problems[row] = parts.join(U("、"));
    }
    if (!m_areas.empty())
        emit dataChanged(index(0, kProblems), index(int(m_areas.size()) - 1, kProblems));
}

QVariant CAreaListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_areas.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return Cell(index.row(), index.column());
    if (role == Qt::ToolTipRole && index.column() == kFront) {
        const QString front = Cell(index.row(), kFront);
        if (!front.isEmpty()) return U("重なる所ではブラウザは先の領域 (%1) を選びます").arg(front);
    }
    return {};
}

QVariant CAreaListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const kHeaders[] = {"番号", "形", "href", "alt", "title", "問題", "重なり"};
    return section >= 0 && section < kColumns ? U(kHeaders[section]) : QVariant();
}

Qt::ItemFlags CAreaListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const int column = index.column();
    if (column == kHref || column == kAlt || column == kTitle) flags |= Qt::ItemIsEditable;
    return flags;
}

bool CAreaListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || Refresh() ||
        size_t(index.row()) >= m_areas.size())
        return false;
    const AreaTag& area = m_areas[size_t(index.row())];
    const AreaLink before = AreaLinkOf(m_text, area);
    AreaLink after = before;
    const std::string text = value.toString().toStdString();
    switch (index.column()) {
        case kHref:
            after.href = text;
            break;
        case kAlt:
            after.alt = text;
            break;
        case kTitle:
            after.title = text;
            break;
        default:
            return false;
    }
    const TextEdit edit = SetAreaLinkEdit(m_text, area, before, after);
    if (edit.removed == 0 && edit.inserted.empty()) return false;
    m_pane.ApplyEdit(edit);
    Refresh();
    return true;
}

QStringList CAreaListModel::mimeTypes() const {
    return {QString::fromLatin1(kRowMime)};
}

QMimeData* CAreaListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    auto* data = new QMimeData;  // owned by the drag
    data->setData(QString::fromLatin1(kRowMime), QByteArray::number(indexes.first().row()));
    return data;
}

bool CAreaListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                  const QModelIndex& parent) {
    if (!data || action != Qt::MoveAction || !data->hasFormat(QString::fromLatin1(kRowMime)))
        return false;
    bool ok = false;
    const int from = data->data(QString::fromLatin1(kRowMime)).toInt(&ok);
    if (!ok || from < 0 || size_t(from) >= m_areas.size()) return false;
    // Dropped on a row: that place; between rows: before `row`; below the
    // last: the end.
    int to = parent.isValid() ? parent.row() : row < 0 ? int(m_areas.size()) : row;
    if (!parent.isValid() && to > from) --to;
    to = std::clamp(to, 0, int(m_areas.size()) - 1);
    // The model was reset by the move: no rows are left for the view to take away.
    return MoveRow(from, to);
}

Qt::DropActions CAreaListModel::supportedDropActions() const {
    return Qt::MoveAction;
}

CAreaListDock::CAreaListDock(MarkupPane& pane, CMapView& view, QWidget* parent)
    : QDockWidget(U("領域一覧"), parent), m_view(view), m_model(pane) {
    m_model.SetPictureSize([this] {
        const CMapDoc* doc = m_view.GetDocument();
        return doc && doc->m_pImage
                   ? PictureSize{doc->m_pImage->GetWidth(), doc->m_pImage->GetHeight()}
                   : PictureSize{};
    });
    setObjectName(QStringLiteral("AreaList"));
    m_front.setText(U("前面へ"));
    m_front.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    m_front.setToolTip(U("選んだ領域をひとつ前へ (ブラウザが先に試す側)"));
    m_back.setText(U("背面へ"));
    m_back.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    m_back.setToolTip(U("選んだ領域をひとつ後ろへ"));
    // The keys work wherever the focus is in the window: the area selected
    // on the picture moves as well.
    m_front.setShortcutContext(Qt::WindowShortcut);
    m_back.setShortcutContext(Qt::WindowShortcut);
    connect(&m_front, &QAction::triggered, this, &CAreaListDock::OnFront);
    connect(&m_back, &QAction::triggered, this, &CAreaListDock::OnBack);
    m_toolBar.addAction(&m_front);
    m_toolBar.addAction(&m_back);
    m_toolBar.setToolButtonStyle(Qt::ToolButtonTextOnly);

    m_table.setModel(&m_model);
    m_table.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table.setSelectionMode(QAbstractItemView::SingleSelection);
    m_table.setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_table.setDragEnabled(true);
    m_table.setAcceptDrops(true);
    m_table.setDropIndicatorShown(true);
    m_table.setDragDropMode(QAbstractItemView::InternalMove);
    m_table.setDefaultDropAction(Qt::MoveAction);
    m_table.setDragDropOverwriteMode(false);
    m_table.verticalHeader()->hide();
    m_table.verticalHeader()->setDefaultSectionSize(m_table.fontMetrics().height() + 6);
    FitColumn(m_table, *m_table.horizontalHeader(), CAreaListModel::kShape,
              {U("rect"), U("circle"), U("poly"), U("default")});
    FitNumbers();
    m_table.horizontalHeader()->setStretchLastSection(true);
    m_table.setWordWrap(false);

    m_layout.setContentsMargins(0, 0, 0, 0);
    m_layout.setSpacing(0);
    m_layout.addWidget(&m_toolBar);
    m_layout.addWidget(&m_table);
    setWidget(&m_client);

    m_timer.setSingleShot(true);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &CAreaListDock::Refresh);
    connect(&view, &CMapView::selectionChanged, this, &CAreaListDock::ShowSelection);
    connect(m_table.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CAreaListDock::RowsSelected);
    connect(&m_model, &CAreaListModel::rowMoved, this, [this](int row) {
        m_view.MapAreas().RefreshAreas();
        m_view.MapAreas().SelectAreas({row});
        ShowSelection({row});
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        FitNumbers();
        ShowSelection(m_view.MapAreas().SelectedAreas());
    });
}

void CAreaListDock::FitNumbers() {
    FitColumn(m_table, *m_table.horizontalHeader(), CAreaListModel::kNumber,
              {QString::number(m_model.rowCount())});
}

void CAreaListDock::OnPaneChanged() {
    m_timer.start();
}

void CAreaListDock::Refresh() {
    m_timer.stop();
    m_model.Refresh();
}

void CAreaListDock::ShowSelection(const QList<int>& areas) {
    if (m_syncing) return;
    m_syncing = true;
    QItemSelectionModel* selection = m_table.selectionModel();
    // Runs of neighbouring rows as one range each: the selection model
    // compares ranges pairwise, and a paste selects thousands of rows.
    std::vector<int> sorted;
    for (int area : areas)
        if (area >= 0 && area < m_model.rowCount()) sorted.push_back(area);
    std::sort(sorted.begin(), sorted.end());
    QItemSelection rows;
    for (size_t k = 0; k < sorted.size();) {
        const int first = sorted[k];
        while (k + 1 < sorted.size() && sorted[k + 1] <= sorted[k] + 1) ++k;
        rows.select(m_model.index(first, 0),
                    m_model.index(sorted[k++], CAreaListModel::kColumns - 1));
    }
    selection->select(rows, QItemSelectionModel::ClearAndSelect);
    if (!areas.isEmpty() && areas.first() < m_model.rowCount()) {
        selection->setCurrentIndex(m_model.index(areas.first(), 0), QItemSelectionModel::NoUpdate);
        m_table.scrollTo(m_model.index(areas.first(), 0));
    }
    m_syncing = false;
}

void CAreaListDock::RowsSelected() {
    if (m_syncing) return;
    QList<int> areas;
    for (const QModelIndex& index : m_table.selectionModel()->selectedRows()) areas << index.row();
    std::sort(areas.begin(), areas.end());
    m_syncing = true;
    if (!areas.isEmpty() && m_view.GetTool() != CMapView::kToolSelect) m_view.OnToolSelect();
    m_view.MapAreas().RefreshAreas();
    m_view.MapAreas().SelectAreas(areas);
    m_syncing = false;
}

void CAreaListDock::MoveSelected(int step) {
    Refresh();
    m_view.MapAreas().RefreshAreas();
    const QList<int> selected = m_view.MapAreas().SelectedAreas();
    if (selected.size() != 1) return;
    m_model.MoveRow(selected.first(), selected.first() + step);
}

void CAreaListDock::OnFront() {
    MoveSelected(-1);
}

void CAreaListDock::OnBack() {
    MoveSelected(1);
}
