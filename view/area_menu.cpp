// SPDX-License-Identifier: GPL-3.0-or-later
// The view's context menu, the arrange items and the clipboard.

#include "view/area_menu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>

#include "document/settings.h"
#include "view/map_view.h"

CAreaMenu::CAreaMenu(CMapView& view, QObject* parent) : QObject(parent), m_view(view) {
    view.installEventFilter(this);
    connect(&view, &CMapView::menuWanted, this, &CAreaMenu::ShowMenu);
}

bool CAreaMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_view || event->type() != QEvent::KeyPress) return false;
    // Copies of areas travel as their tags' text.
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return false;
    switch (key->key()) {
        case Qt::Key_C:
            CopySelection();
            return true;
        case Qt::Key_X:
            CutSelection();
            return true;
        case Qt::Key_V:
            PasteAreas();
            return true;
        case Qt::Key_D:
            DuplicateSelection();
            return true;
        default:
            return false;
    }
}

void CAreaMenu::Run(bool current, const std::function<AreaChange(const AreaScene&)>& command) {
    if (const std::optional<AreaScene> scene = m_view.Scene(current)) m_view.Apply(command(*scene));
}

void CAreaMenu::ShowMenu(QPoint client) {
    m_view.Scene(false);  // the areas as the pane holds them now
    const int area = m_view.AreaAt(client);
    QMenu menu(&m_view);
    if (area >= 0) {
        AddAreaItems(menu, area);
    } else {
        for (const ToolDescriptor* tool : MapTools()) {
            QAction* action = menu.addAction(ToolMenuText(*tool));
            connect(action, &QAction::triggered, this,
                    [this, id = tool->id] { m_view.SetTool(id); });
            action->setCheckable(true);
            action->setChecked(m_view.GetTool() == tool->id);
        }
    }
    const QPoint global = m_view.viewport()->mapToGlobal(client);
    if (m_menuRunner)
        m_menuRunner(menu, global);
    else
        menu.exec(global);
}

void CAreaMenu::AddAreaItems(QMenu& menu, int area) {
    const auto add = [&](const char* text, auto&& slot) {
        connect(menu.addAction(QString::fromUtf8(text)), &QAction::triggered, this, slot);
    };
    const QList<int> selection = m_view.MapAreas().SelectedAreas();
    const bool inSelection = selection.contains(area);
    if (m_view.GetTool() == CMapView::kToolSelect && !inSelection)
        m_view.MapAreas().SelectArea(area);
    // Several selected: removal and copies act on all of them.
    const bool several = inSelection && selection.size() > 1;
    add("編集 (&E)...", [this, area] { m_view.MapAreas().EditAreaLink(area); });
    if (several) {
        add("削除 (&D)", [this] { DeleteSelection(); });
        add("複製 (&C)", [this] { DuplicateSelection(); });
        menu.addSeparator();
        FillArrangeMenu(&menu);
    } else {
        add("削除 (&D)", [this, area] {
            Run(true, [area](const AreaScene& s) { return DeleteAreaCommand(s, area); });
        });
        add("複製 (&C)", [this, area] {
            Run(true, [area](const AreaScene& s) { return DuplicateAreaCommand(s, area); });
        });
    }
    menu.addSeparator();
    add("前面へ (&F)", [this, area] {
        Run(true, [area](const AreaScene& s) { return ReorderCommand(s, area, true); });
    });
    add("背面へ (&B)", [this, area] {
        Run(true, [area](const AreaScene& s) { return ReorderCommand(s, area, false); });
    });
}

void CAreaMenu::FillArrangeMenu(QMenu* menu) {
    const qsizetype count = m_view.MapAreas().SelectedAreas().size();
    const auto add = [&](QMenu* to, const char* text, qsizetype least, auto&& slot) {
        QAction* action = to->addAction(QString::fromUtf8(text));
        action->setEnabled(count >= least && m_view.HasPicture());
        connect(action, &QAction::triggered, this, slot);
    };
    QMenu* align = menu->addMenu(QString::fromUtf8("揃える (&A)"));
    const struct {
        const char* text;
        AreaAlign how;
    } aligns[] = {
        {"左 (&L)", AreaAlign::kLeft},          {"右 (&R)", AreaAlign::kRight},
        {"上 (&T)", AreaAlign::kTop},           {"下 (&B)", AreaAlign::kBottom},
        {"左右中央 (&C)", AreaAlign::kCentreX}, {"上下中央 (&M)", AreaAlign::kCentreY},
    };
    for (const auto& a : aligns)
        add(align, a.text, 2, [this, how = a.how] { AlignSelection(how); });
    QMenu* size = menu->addMenu(QString::fromUtf8("同じ大きさ (&Z)"));
    add(size, "幅 (&W)", 2, [this] { SameSizeSelection(true); });
    add(size, "高さ (&H)", 2, [this] { SameSizeSelection(false); });
    QMenu* space = menu->addMenu(QString::fromUtf8("等間隔 (&Q)"));
    add(space, "横 (&H)", 3, [this] { SpaceSelection(true); });
    add(space, "縦 (&V)", 3, [this] { SpaceSelection(false); });
}

void CAreaMenu::AlignSelection(AreaAlign how) {
    Run(false, [how](const AreaScene& s) { return AlignCommand(s, how); });
}

void CAreaMenu::SameSizeSelection(bool width) {
    Run(false, [width](const AreaScene& s) { return SameSizeCommand(s, width); });
}

void CAreaMenu::SpaceSelection(bool horizontal) {
    Run(false, [horizontal](const AreaScene& s) { return SpaceCommand(s, horizontal); });
}

void CAreaMenu::DeleteSelection() {
    if (!m_view.MapAreas().SelectedAreas().isEmpty()) Run(true, DeleteCommand);
}

void CAreaMenu::DuplicateSelection() {
    if (!m_view.MapAreas().SelectedAreas().isEmpty()) Run(true, DuplicateCommand);
}

void CAreaMenu::CopySelection() {
    const std::optional<AreaScene> scene = m_view.Scene(false);
    const std::string text = scene ? CopyText(*scene) : std::string();
    if (!text.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void CAreaMenu::CutSelection() {
    CopySelection();
    DeleteSelection();
}

void CAreaMenu::PasteAreas() {
    const std::string clip = QGuiApplication::clipboard()->text().toStdString();
    const MarkupSettings settings = ReadMarkupSettings();
    Run(false, [&](const AreaScene& s) { return PasteCommand(s, clip, settings); });
}

void CAreaMenu::SelectAllAreas() {
    Run(false, SelectAllCommand);
}

QString CAreaMenu::SelectedCoordsText() {
    const std::optional<AreaScene> scene = m_view.Scene(false);
    return scene ? QString::fromStdString(CoordsText(*scene)) : QString();
}

bool CAreaMenu::SetSelectedCoords(const QString& text) {
    const std::optional<AreaScene> scene = m_view.Scene(false);
    const std::optional<AreaChange> change =
        scene ? SetCoordsCommand(*scene, text.toStdString()) : std::nullopt;
    if (change) m_view.Apply(*change);
    return change.has_value();
}
