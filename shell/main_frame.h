// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: menu, toolbar, one-pane status bar, the map view in the
// middle and the docking bar with the markup pane. It handles the tag-case
// switch and the base-folder dialog itself; the application handles opening
// and the view its tools, zoom and transfer.

#include <QComboBox>
#include <QMainWindow>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

#include "shell/area_list.h"
#include "shell/markup_edit.h"
#include "shell/problems_panel.h"
#include "shell/resizable_bar.h"
#include "view/area_menu.h"
#include "view/map_view.h"

class QAction;
class QMenu;
class QMimeData;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    // The window title for a document title: "<title> - Zer Evizi SEKKA",
    // "無題" standing in for an empty title.
    static QString FrameTitle(const QString& docTitle);
    // The title for the document title, with a leading "*" while the markup
    // has unsaved changes.
    void UpdateTitle(const QString& docTitle);
    // The file name of the page the markup came from, shown before the
    // picture's as "PAGE (PICTURE)"; empty when it came from no page.
    void SetPageName(const QString& page);
    void SetMarkupModified(bool modified);

    // The pane through its CR LF interface, and the editor behind it.
    MarkupPane& Pane() { return m_pane; }
    CMarkupEdit& Edit() { return m_wndEdit; }
    CResizableBar& Bar() { return m_wndBar; }
    const CResizableBar& Bar() const { return m_wndBar; }
    QStatusBar& StatusBar() { return m_wndStatusBar; }
    QToolBar& ToolBar() { return m_wndToolBar; }
    CMapView& View() { return m_view; }
    // The view's context menu, the clipboard and the commands on the areas.
    CAreaMenu& AreaMenu() { return m_areaMenu; }
    CAreaListDock& AreaList() { return m_areaList; }
    // The 問題 panel, hidden at the start; その他 > 問題 shows it.
    CProblemsPanel& Problems() { return m_problems; }
    QMenu* FileMenu() const { return m_fileMenu; }

    // The action of a command id; null for unknown ids.
    QAction* Action(int id) const;
    // The recent-file entries of the File menu, "&1 name" and so on; the
    // greyed placeholder when `paths` is empty.
    void SetRecentFiles(const QStringList& paths);
    // The visible recent-file actions, in menu order.
    QList<QAction*> RecentActions() const;

    // Shows the check mark of the tag-case command from the stored setting.
    void OnUpdateTagUpper();
    // Shows the check mark of full colour from the stored setting.
    void OnUpdateFullColour();
    // Shows the stored tolerance of the outline tool in its spin box.
    void OnUpdateTraceTolerance();
    QSpinBox& TraceTolerance() { return m_traceTolerance; }
    // The zoom box on the toolbar: the preset levels and the fit.
    QComboBox& ZoomBox() { return m_zoomBox; }
    // Shows the view's tool, zoom and the areas' visibility as check marks
    // on their actions; every one of them is always enabled.
    void UpdateViewChecks();
    // The link dialog over this window, run through the prompt seam: the
    // view's link prompt.
    bool AskLink(std::string* url, std::string* alt);
    // The same with every field: the view's area link prompt.
    bool AskAreaLink(AreaLink* link);

    // The 領域 menu's commands on several areas and their copies, and the
    // 表示 menu with the grid (main_frame_arrange.cpp).
    void AddArrangeMenus(QMenu* areas);
    void AddGridItems(QMenu* view);
    // The 表示 menu's switches of what shows: the areas' numbers and fill
    // (stored settings).
    void AddShownItems(QMenu* view);
    // Asks for the grid's spacing and stores it.
    void OnGridSpacing();
    // The ヘルプ menu (main_frame_help.cpp): the manual in the desktop's
    // browser, the window's keys, the version window.
    void AddHelpMenu();
    void OnHelpManual();
    void OnHelpShortcuts();
    void OnHelpAbout();

    // Asked before the window closes; false keeps it open.
    void SetCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

signals:
    void fileOpenRequested();
    void recentFileRequested(int index);
    void fileSaveAsRequested();
    void mapOpenRequested();
    void mapSaveRequested();
    void mapSaveAsRequested();
    void browserCheckRequested();
    void mapSwitchRequested();
    // File > 書き出し: `form` is a ResponsiveForm.
    void exportRequested(int form);
    void scaledPreviewRequested();
    // Files dropped on the window, in the order given.
    void filesDropped(const QStringList& paths);

public slots:
    void OnTagUpper();
    // Turns full-colour reading of JPEGs on or off for the pictures opened next.
    void OnFullColour();
    void OnBaseFolder();
    // Sends the pane's whole text, hand edits included, to the sibling HTML
    // editor off the GUI thread (one at a time); a receiver that did not
    // answer is reported in the status bar.
    void OnTransfer();
    // 領域 > 座標: the numbers of the area picked, edited as text.
    void OnAreaCoords();
    // 編集 > 画像とマップの設定: the map's name and the picture's alt, width
    // and height in a dialog, written back as one undo step.
    void OnImageMap();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The steps that build the window, in order.
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateTraceTolerance();
    void CreateZoomBox();
    void CreateDocks();
    void ConnectActions();
    void ConnectPane();
    void ConnectView();
    void ReadSettings();
    QAction* AddCommand(int id, const QString& text, const QString& prompt, const QString& tooltip,
                        const QIcon& icon);
    // Adds the actions of `ids` to `menu`; kSeparator stands for a separator.
    static constexpr int kSeparator = 0;
    void AddItems(QMenu* menu, std::initializer_list<int> ids);
    // The local files a drag carries.
    static QStringList DroppedFiles(const QMimeData* data);

    // Children die before their parents: the bar is declared before the
    // pane it holds, so the pane goes first.
    CResizableBar m_wndBar{this};
    CMarkupEdit m_wndEdit;
    PlainTextMarkupPane m_pane{m_wndEdit};
    QStatusBar m_wndStatusBar;
    QToolBar m_wndToolBar;
    CMapView m_view;
    CAreaMenu m_areaMenu{m_view};
    CAreaListDock m_areaList{m_pane, m_view, this};
    CProblemsPanel m_problems{this};
    QSpinBox m_traceTolerance;
    QComboBox m_zoomBox;
    std::map<int, std::unique_ptr<QAction>> m_actions;
    std::unique_ptr<QAction> m_mruPlaceholder;
    std::array<std::unique_ptr<QAction>, 4> m_mruActions;
    QMenu* m_fileMenu = nullptr;
    QString m_docTitle;
    QString m_pageName;
    bool m_markupModified = false;
    std::function<bool()> m_closeGuard;
};
