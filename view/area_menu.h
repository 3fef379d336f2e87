// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands on the areas that reach a map view from around it: its
// context menu, the 配置 menu's items, the clipboard (Ctrl+C, Ctrl+X,
// Ctrl+V and Ctrl+D while the view has the focus) and the window's
// commands on the selection. Each works the edit out with
// markup/area_commands.h and has the view apply it; the view itself knows
// nothing of menus or the clipboard.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>

#include "markup/area_commands.h"

class CMapView;
class QMenu;

class CAreaMenu : public QObject {
    Q_OBJECT
public:
    explicit CAreaMenu(CMapView& view, QObject* parent = nullptr);

    // Shows the context menu at a global position. Unset: QMenu::exec.
    using MenuRunner = std::function<void(QMenu& menu, QPoint global)>;
    void SetMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }

    // Commands on the selection, each one edit of the pane (one undo step).
    // Aligning, sizing and spacing want two or more areas (spacing three).
    void AlignSelection(AreaAlign how);
    void SameSizeSelection(bool width);
    void SpaceSelection(bool horizontal);
    // The selected tags go to the clipboard as text; Cut removes them.
    void CopySelection();
    void CutSelection();
    // The area tags of the clipboard's text go in before the map's end,
    // 10 pixels right and down as far as the picture allows, selected.
    void PasteAreas();
    // A copy of each selected area, 10 pixels right and down, selected.
    void DuplicateSelection();
    void DeleteSelection();
    // Every area of the map selected (the selection tool taken up).
    void SelectAllAreas();
    // The numbers of the area last picked as its coords text ("10,20,30,40"),
    // and sets them from such a text, one edit. Setting answers false, and
    // changes nothing, without an area picked or for numbers its shape cannot
    // take.
    QString SelectedCoordsText();
    bool SetSelectedCoords(const QString& text);
    // Adds 揃える, 同じ大きさ and 等間隔 for the selection to `menu`, each
    // item enabled when enough areas are selected.
    void FillArrangeMenu(QMenu* menu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The context menu at a client point of the view: an area's commands
    // over an area, the tools elsewhere.
    void ShowMenu(QPoint client);
    void AddAreaItems(QMenu& menu, int area);
    // Runs a command over the areas as read now (only when they were
    // current, with `current`) and applies what it answers.
    void Run(bool current, const std::function<AreaChange(const AreaScene&)>& command);

    CMapView& m_view;
    MenuRunner m_menuRunner;
};
