// SPDX-License-Identifier: GPL-3.0-or-later
// The commands on several areas at once, their copies, and the grid.

#include <QAction>
#include <QInputDialog>
#include <QMenu>

#include "document/settings.h"
#include "shell/commands.h"
#include "shell/main_frame.h"

void CMainFrame::AddArrangeMenus(QMenu* areas) {
    const auto text = [](const char* t) { return QString::fromUtf8(t); };
    // The keys work while the picture has the focus; in the pane the same
    // keys copy and paste its text.
    areas->addSeparator();
    const struct {
        const char* text;
        void (CAreaMenu::*slot)();
    } copies[] = {
        {"領域をコピー (&Y)\tCtrl+C", &CAreaMenu::CopySelection},
        {"領域を切り取り (&T)\tCtrl+X", &CAreaMenu::CutSelection},
        {"領域を貼り付け (&E)\tCtrl+V", &CAreaMenu::PasteAreas},
        {"領域を複製 (&D)\tCtrl+D", &CAreaMenu::DuplicateSelection},
    };
    for (const auto& c : copies)
        connect(areas->addAction(text(c.text)), &QAction::triggered, &m_areaMenu, c.slot);
    QMenu* arrange = areas->addMenu(text("配置 (&A)"));
    arrange->setObjectName(QStringLiteral("ArrangeMenu"));
    // Filled anew each time: what is enabled follows the selection.
    connect(arrange, &QMenu::aboutToShow, this, [this, arrange] {
        arrange->clear();
        for (QMenu* old : arrange->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
            old->deleteLater();
        m_areaMenu.FillArrangeMenu(arrange);
    });
    m_areaMenu.FillArrangeMenu(arrange);
}

void CMainFrame::AddGridItems(QMenu* view) {
    const auto text = [](const char* t) { return QString::fromUtf8(t); };
    QAction* grid = view->addAction(text("グリッド (&D)"));
    grid->setObjectName(QStringLiteral("GridAction"));
    grid->setCheckable(true);
    connect(view, &QMenu::aboutToShow, grid, [grid] { grid->setChecked(GetGridSetting()); });
    connect(grid, &QAction::triggered, this, [this](bool on) {
        SetGridSetting(on);
        m_view.OnGridChanged();
    });
    connect(view->addAction(text("グリッドの間隔 (&S)...")), &QAction::triggered, this,
            &CMainFrame::OnGridSpacing);
}

void CMainFrame::AddShownItems(QMenu* view) {
    const struct {
        int id;
        ViewSwitch which;
    } items[] = {
        {cmd::kViewAreaLabels, ViewSwitch::kAreaLabels},
        {cmd::kViewAreaFill, ViewSwitch::kAreaFill},
        {cmd::kViewCheckerboard, ViewSwitch::kCheckerboard},
    };
    for (const auto& item : items) {
        QAction* action = Action(item.id);
        const ViewSwitch which = item.which;
        action->setChecked(GetViewSwitch(which));
        view->addAction(action);
        connect(view, &QMenu::aboutToShow, action,
                [action, which] { action->setChecked(GetViewSwitch(which)); });
        connect(action, &QAction::triggered, this, [this, which](bool on) {
            SetViewSwitch(which, on);
            m_view.OnShownChanged();
        });
    }
}

void CMainFrame::OnGridSpacing() {
    bool ok = false;
    const int spacing = QInputDialog::getInt(this, QString::fromUtf8("グリッドの間隔"),
                                             QString::fromUtf8("間隔 (ピクセル):"),
                                             GetGridSpacingSetting(), 2, 256, 1, &ok);
    if (!ok) return;
    SetGridSpacingSetting(spacing);
    m_view.OnGridChanged();
}
