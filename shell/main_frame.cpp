// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include "document/map_doc.h"
#include "document/settings.h"
#include "image/image.h"
#include "image/region_trace.h"
#include "markup/responsive_map.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/icons.h"
#include "shell/image_map_dlg.h"
#include "shell/prompts.h"
#include "shell/recent_files.h"
#include "view/tools/map_tool.h"
#include "view/transfer_runner.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

// The window is made in steps: the actions from the command table, the
// menus and the toolbar from the actions, the bars and docks, the wiring,
// and last what the stored settings show.
CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(AppIcon());
    resize(760, 600);
    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateDocks();
    ConnectActions();
    ConnectPane();
    ConnectView();
    ReadSettings();
}

void CMainFrame::CreateActions() {
    for (const CommandInfo& info : Commands()) {
        // The recent-file entries and the 問題 panel's switch are made elsewhere.
        if (info.id == cmd::kFileMru1 || info.id == cmd::kViewProblems) continue;
        QAction* action = AddCommand(info.id, U(info.text), U(info.prompt), U(info.tooltip),
                                     CommandIcon(info.id));
        action->setShortcuts(CommandKeys(info));
        action->setCheckable(info.checkable);
    }
    // Each tool's item and button, from its row. The item names the tool's
    // key after a tab, and the view takes the key (CMapView::keyPressEvent)
    // while it has the focus: as a shortcut of the action it would take the
    // letter from the menus' mnemonics, the pane and the area list.
    for (const ToolDescriptor* tool : MapTools()) {
        QAction* action = AddCommand(tool->command, ToolMenuText(*tool), U(tool->prompt),
                                     U(tool->tooltip), DrawnIcon(tool->icon));
        action->setCheckable(true);
    }
    m_mruPlaceholder = std::make_unique<QAction>(CommandText(cmd::kFileMru1), this);
    m_mruPlaceholder->setEnabled(false);
    for (size_t i = 0; i < m_mruActions.size(); ++i) {
        m_mruActions[i] = std::make_unique<QAction>(this);
        m_mruActions[i]->setStatusTip(CommandPrompt(cmd::kFileMru1));
        m_mruActions[i]->setVisible(false);
        const int index = int(i);
        connect(m_mruActions[i].get(), &QAction::triggered, this,
                [this, index] { emit recentFileRequested(index); });
    }
}

void CMainFrame::AddItems(QMenu* menu, std::initializer_list<int> ids) {
    for (const int id : ids) {
        if (id == kSeparator)
            menu->addSeparator();
        else
            menu->addAction(Action(id));
    }
}

void CMainFrame::CreateMenus() {
    using namespace cmd;
    m_fileMenu = menuBar()->addMenu(U("ファイル(&F)"));
    AddItems(m_fileMenu,
             {kFileOpen, kFileSaveAs, kSeparator, kMapOpen, kMapSave, kMapSaveAs, kMapSwitch});
    AddItems(m_fileMenu->addMenu(U("書き出し(&E)")), {kExportSvg, kExportScalingMap});
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_mruPlaceholder.get());
    for (const auto& recent : m_mruActions) m_fileMenu->addAction(recent.get());
    AddItems(m_fileMenu, {kSeparator, kAppExit});

    // The pane's own undo history: typing and every change made on the
    // picture alike.
    AddItems(menuBar()->addMenu(U("編集(&E)")),
             {kEditUndo, kEditRedo, kSeparator, kEditSelectAll, kSeparator, kImageMap});

    QMenu* areas = menuBar()->addMenu(U("領域(&R)"));
    AddItems(areas, {kToolCircle, kToolRect, kToolPolygon, kToolTrace, kToolSelect, kSeparator,
                     kViewAreas, kAreaCoords, kSeparator});
    areas->addActions(
        {&m_areaList.FrontAction(), &m_areaList.BackAction(), m_areaList.toggleViewAction()});
    AddArrangeMenus(areas);

    QMenu* view = menuBar()->addMenu(U("表示(&V)"));
    AddItems(view, {kZoomIn, kZoomOut, kZoomFit, kSeparator, kZoomNormal, kZoomDouble, kSeparator,
                    kPixelGrid, kSeparator});
    AddShownItems(view);
    AddItems(view, {kSeparator, kViewFullColour});
    connect(view, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateFullColour);
    AddGridItems(view);

    QMenu* other = menuBar()->addMenu(U("その他(&O)"));
    AddItems(other, {kBaseFolder});
    AddItems(other->addMenu(U("画像サイズ (&S)")), {kZoomNormal, kZoomDouble});
    AddItems(other, {kTagUpper, kTransfer, kBrowserCheck, kScaledPreview});
    QAction* problems = m_problems.toggleViewAction();
    problems->setText(CommandText(kViewProblems));
    problems->setStatusTip(CommandPrompt(kViewProblems));
    other->addAction(problems);
    connect(other, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateTagUpper);
    AddHelpMenu();
}

// The toolbar, fixed at the top: the tools, the zoom and the transfer.
void CMainFrame::CreateToolBars() {
    using namespace cmd;
    m_wndToolBar.setObjectName(QStringLiteral("ToolBar"));
    m_wndToolBar.setWindowTitle(U("ツールバー"));
    m_wndToolBar.setMovable(false);
    m_wndToolBar.setFloatable(false);
    m_wndToolBar.setIconSize(QSize(kToolIconWidth, kToolIconHeight));
    m_wndToolBar.setContextMenuPolicy(Qt::PreventContextMenu);
    const auto add = [this](std::initializer_list<int> ids) {
        for (const int id : ids) {
            if (id == kSeparator)
                m_wndToolBar.addSeparator();
            else
                m_wndToolBar.addAction(Action(id));
        }
    };
    add({kFileOpen, kSeparator, kToolCircle, kToolRect, kToolPolygon, kToolTrace});
    CreateTraceTolerance();
    m_wndToolBar.addWidget(&m_traceTolerance);
    add({kToolSelect, kViewAreas, kSeparator, kZoomNormal, kZoomDouble});
    CreateZoomBox();
    m_wndToolBar.addWidget(&m_zoomBox);
    add({kSeparator, kBaseFolder, kTransfer});
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);
}

// The outline tool's colour tolerance, stored as soon as it changes.
void CMainFrame::CreateTraceTolerance() {
    m_traceTolerance.setObjectName(QStringLiteral("TraceTolerance"));
    m_traceTolerance.setRange(0, kMaxTraceTolerance);
    m_traceTolerance.setToolTip(U("輪郭の色の許容差 (RGBの距離)"));
    m_traceTolerance.setStatusTip(m_traceTolerance.toolTip());
    m_traceTolerance.setFocusPolicy(Qt::ClickFocus);
    connect(&m_traceTolerance, &QSpinBox::valueChanged, this, [this](int value) {
        if (value == GetTraceToleranceSetting()) return;
        SetTraceToleranceSetting(value);
        m_view.OnTraceToleranceChanged();
    });
}

// The zoom box: each preset level, then the fit; it follows the view.
void CMainFrame::CreateZoomBox() {
    m_zoomBox.setObjectName(QStringLiteral("ZoomBox"));
    m_zoomBox.setToolTip(U("表示倍率"));
    m_zoomBox.setStatusTip(m_zoomBox.toolTip());
    m_zoomBox.setFocusPolicy(Qt::ClickFocus);
    m_zoomBox.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < ZoomScale::kLevelCount; ++i)
        m_zoomBox.addItem(QString::fromStdString(ZoomScale::Level(i).PercentText()), i);
    m_zoomBox.addItem(U("ウィンドウに合わせる"), -1);
    connect(&m_zoomBox, &QComboBox::activated, this, [this](int index) {
        const int level = m_zoomBox.itemData(index).toInt();
        if (level < 0)
            m_view.OnZoomFit();
        else
            m_view.SetZoom(ZoomScale::Level(level));
        m_view.setFocus();
    });
}

// One stretching status pane, its idle text empty; the docking bar with the
// pane along the bottom, the area list beside it, and the 問題 panel on the
// right, hidden at the start.
void CMainFrame::CreateDocks() {
    setStatusBar(&m_wndStatusBar);
    m_wndBar.SetPane(&m_wndEdit);
    setCentralWidget(&m_view);
    m_wndBar.DockAt(Qt::BottomDockWidgetArea, CResizableBar::kDefaultSize);
    addDockWidget(Qt::BottomDockWidgetArea, &m_areaList);
    splitDockWidget(&m_wndBar, &m_areaList, Qt::Horizontal);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(true);

    // The panel checks the pane's text against the picture open, a moment
    // after typing pauses, while it is shown; a click on a finding selects
    // its area, or the tag it is about in the pane.
    m_problems.SetSource([this] { return m_pane.GetWindowText(); },
                         [this] {
                             const CMapDoc* doc = m_view.GetDocument();
                             return doc && doc->m_pImage ? PictureSize{doc->m_pImage->GetWidth(),
                                                                       doc->m_pImage->GetHeight()}
                                                         : PictureSize{};
                         });
    addDockWidget(Qt::RightDockWidgetArea, &m_problems);
    m_problems.hide();
    // One check of each text for the panel and 領域一覧's problem column.
    m_areaList.Model().SetChecker(m_problems.Runner());
    connect(&m_problems, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) m_problems.Recheck();
    });
    connect(&m_problems, &CProblemsPanel::areaChosen, this, [this](int area) {
        m_view.OnToolSelect();
        m_view.MapAreas().SelectArea(area);
    });
    connect(&m_problems, &CProblemsPanel::tagChosen, this, [this](size_t begin, size_t end) {
        QTextCursor cursor = m_wndEdit.textCursor();
        cursor.setPosition(m_pane.PositionOfByte(begin));
        cursor.setPosition(m_pane.PositionOfByte(end), QTextCursor::KeepAnchor);
        m_wndEdit.setTextCursor(cursor);
        m_wndEdit.setFocus();
    });
}

// Each command to its handler: the frame's own, a request to the
// application, or the view's.
void CMainFrame::ConnectActions() {
    using namespace cmd;
    const auto on = [this](int id, auto* receiver, auto slot) {
        connect(Action(id), &QAction::triggered, receiver, slot);
    };
    on(kFileOpen, this, &CMainFrame::fileOpenRequested);
    on(kFileSaveAs, this, &CMainFrame::fileSaveAsRequested);
    on(kMapOpen, this, &CMainFrame::mapOpenRequested);
    on(kMapSave, this, &CMainFrame::mapSaveRequested);
    on(kMapSaveAs, this, &CMainFrame::mapSaveAsRequested);
    on(kMapSwitch, this, &CMainFrame::mapSwitchRequested);
    on(kExportSvg, this, [this] { emit exportRequested(int(ResponsiveForm::kSvg)); });
    on(kExportScalingMap, this, [this] { emit exportRequested(int(ResponsiveForm::kScalingMap)); });
    on(kAppExit, this, &QWidget::close);
    on(kBrowserCheck, this, &CMainFrame::browserCheckRequested);
    on(kScaledPreview, this, &CMainFrame::scaledPreviewRequested);
    on(kAreaCoords, this, &CMainFrame::OnAreaCoords);
    on(kImageMap, this, &CMainFrame::OnImageMap);
    on(kTagUpper, this, &CMainFrame::OnTagUpper);
    on(kViewFullColour, this, &CMainFrame::OnFullColour);
    on(kBaseFolder, this, &CMainFrame::OnBaseFolder);
    on(kHelpManual, this, &CMainFrame::OnHelpManual);
    on(kHelpShortcuts, this, &CMainFrame::OnHelpShortcuts);
    on(kHelpAbout, this, &CMainFrame::OnHelpAbout);
    on(kEditSelectAll, &m_areaMenu, &CAreaMenu::SelectAllAreas);
    for (const ToolDescriptor* tool : MapTools()) {
        on(tool->command, this, [this, id = tool->id] {
            OnUpdateTraceTolerance();  // the outline tool's, as stored now
            m_view.SetTool(id);
        });
    }
    on(kViewAreas, &m_view, &CMapView::OnToggleAreas);
    on(kZoomNormal, &m_view, &CMapView::OnZoomNormal);
    on(kZoomDouble, &m_view, &CMapView::OnZoomDouble);
    on(kZoomIn, &m_view, &CMapView::OnZoomIn);
    on(kZoomOut, &m_view, &CMapView::OnZoomOut);
    on(kZoomFit, &m_view, &CMapView::OnZoomFit);
    connect(Action(kPixelGrid), &QAction::toggled, &m_view, &CMapView::OnShowPixelGrid);
    on(kTransfer, this, &CMainFrame::OnTransfer);
}

// Undo and redo work on the pane wherever the focus is (the pane's own keys
// do the same while it has the focus); the outlines, the area list and the
// 問題 panel follow the text, and the caret in a tag selects its area.
void CMainFrame::ConnectPane() {
    QTextDocument* text = m_wndEdit.document();
    QAction* undo = Action(cmd::kEditUndo);
    QAction* redo = Action(cmd::kEditRedo);
    connect(undo, &QAction::triggered, &m_wndEdit, &QPlainTextEdit::undo);
    connect(redo, &QAction::triggered, &m_wndEdit, &QPlainTextEdit::redo);
    connect(text, &QTextDocument::undoAvailable, undo, &QAction::setEnabled);
    connect(text, &QTextDocument::redoAvailable, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(text, &QTextDocument::contentsChange, &m_view, [this] {
        m_view.MapAreas().OnPaneChanged();
        m_areaList.OnPaneChanged();
    });
    connect(text, &QTextDocument::contentsChange, &m_problems, [this] {
        if (m_problems.isVisible()) m_problems.Schedule();
    });
    connect(&m_wndEdit, &QPlainTextEdit::cursorPositionChanged, &m_view.MapAreas(),
            &CMapAreas::OnPaneCaretMoved);
}

// The view tells what changed; the frame shows it.
void CMainFrame::ConnectView() {
    connect(&m_view, &CMapView::commandStateChanged, this, &CMainFrame::UpdateViewChecks);
    connect(&m_view, &CMapView::statusMessage, &m_wndStatusBar,
            [this](const QString& text) { m_wndStatusBar.showMessage(text); });
    m_view.MapAreas().SetAreaLinkPrompt([this](AreaLink* link) { return AskAreaLink(link); });
}

// What the stored settings and the view's state show: check marks, the
// tolerance, the title and the empty recent-file list.
void CMainFrame::ReadSettings() {
    UpdateViewChecks();
    OnUpdateTraceTolerance();
    UpdateTitle(QString());
    SetRecentFiles({});
    OnUpdateTagUpper();
    OnUpdateFullColour();
}

void CMainFrame::UpdateViewChecks() {
    const auto check = [this](int id, bool checked) {
        if (QAction* action = Action(id)) {
            action->setCheckable(true);
            action->setChecked(checked);
            action->setEnabled(true);
        }
    };
    for (const ToolDescriptor* tool : MapTools())
        check(tool->command, m_view.GetTool() == tool->id);
    check(cmd::kZoomNormal, m_view.GetZoom() == 1);
    check(cmd::kZoomDouble, m_view.GetZoom() == 2);
    check(cmd::kViewAreas, m_view.AreasShown());
    check(cmd::kPixelGrid, m_view.PixelGridShown());
    // The zoom box names the level; at a fit between levels, the fit item
    // carries the percentage.
    const ZoomScale zoom = m_view.GetZoom();
    int shown = m_zoomBox.count() - 1;
    for (int i = 0; i < ZoomScale::kLevelCount && !m_view.IsFitZoom(); ++i)
        if (ZoomScale::Level(i) == zoom) shown = i;
    if (m_zoomBox.count() > 0) {
        const QString fit = U("ウィンドウに合わせる");
        m_zoomBox.setItemText(m_zoomBox.count() - 1,
                              m_view.IsFitZoom() ? fit + QStringLiteral(" (") +
                                                       QString::fromStdString(zoom.PercentText()) +
                                                       QStringLiteral(")")
                                                 : fit);
        m_zoomBox.setCurrentIndex(shown);
    }
}

bool CMainFrame::AskLink(std::string* url, std::string* alt) {
    AreaLink link;
    link.href = *url;
    link.alt = *alt;
    if (!AskAreaLink(&link)) return false;
    *url = link.href;
    *alt = link.alt;
    return true;
}

bool CMainFrame::AskAreaLink(AreaLink* link) {
    // Owned by the main window, as a dialog without a parent would be.
    CLinkDlg dialog(this);
    if (const CMapDoc* doc = m_view.GetDocument())
        dialog.SetBrowseFolder(StartFolderFor(QString::fromStdString(doc->GetPathName())));
    dialog.SetLink(*link);
    if (Prompts().RunDialog(dialog) != QDialog::Accepted) return false;
    *link = dialog.Link();
    return true;
}

void CMainFrame::OnUpdateTraceTolerance() {
    const QSignalBlocker quiet(&m_traceTolerance);
    m_traceTolerance.setValue(GetTraceToleranceSetting());
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& prompt,
                                const QString& tooltip, const QIcon& icon) {
    auto action = std::make_unique<QAction>(text, this);
    action->setStatusTip(prompt);
    if (!tooltip.isEmpty()) action->setToolTip(tooltip);
    if (!icon.isNull()) action->setIcon(icon);
    action->setIconVisibleInMenu(false);
    QAction* raw = action.get();
    m_actions[id] = std::move(action);
    return raw;
}

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second.get();
}

QString CMainFrame::FrameTitle(const QString& docTitle) {
    return (docTitle.isEmpty() ? U("無題") : docTitle) + QStringLiteral(" - Zer Evizi SEKKA");
}

void CMainFrame::UpdateTitle(const QString& docTitle) {
    m_docTitle = docTitle;
    const QString shown = m_pageName.isEmpty() || docTitle.isEmpty()
                              ? docTitle
                              : m_pageName + QStringLiteral(" (") + docTitle + QStringLiteral(")");
    setWindowTitle((m_markupModified ? QStringLiteral("*") : QString()) + FrameTitle(shown));
}

void CMainFrame::SetPageName(const QString& page) {
    m_pageName = page;
    UpdateTitle(m_docTitle);
}

void CMainFrame::SetMarkupModified(bool modified) {
    m_markupModified = modified;
    UpdateTitle(m_docTitle);
}

void CMainFrame::OnTransfer() {
    auto* runner = findChild<CTransferRunner*>(QString(), Qt::FindDirectChildrenOnly);
    if (!runner) {
        runner = new CTransferRunner(this);
        connect(runner, &CTransferRunner::finished, this, [this](const QString& line) {
            if (!line.isEmpty()) m_wndStatusBar.showMessage(line);
        });
    }
    runner->Start(m_pane.GetWindowText());
}

void CMainFrame::OnAreaCoords() {
    const QString current = m_areaMenu.SelectedCoordsText();
    if (current.isEmpty()) {
        m_wndStatusBar.showMessage(U("座標を編集する領域を選択してください。"));
        return;
    }
    QInputDialog dialog(this);
    dialog.setWindowTitle(U("座標"));
    dialog.setLabelText(U("座標 (カンマ区切り、画像のピクセル):"));
    dialog.setTextValue(current);
    while (Prompts().RunDialog(dialog) == QDialog::Accepted) {
        if (m_areaMenu.SetSelectedCoords(dialog.textValue())) return;
        Prompts().ShowMessage(this, QStringLiteral("Zer Evizi SEKKA"),
                              U("座標の数がこの形に合いません (矩形は 4 つ、円は 3 つ、"
                                "多角形は 6 つ以上の偶数個の整数)。"));
    }
}

void CMainFrame::OnImageMap() {
    const std::string text = m_pane.GetWindowText();
    const ImageMapTags tags = FindImageMapTags(text);
    if (!tags.image.present() && !tags.map.present()) {
        m_wndStatusBar.showMessage(U("マークアップに画像のタグもマップもありません。"));
        return;
    }
    const ImageMapFields before = ReadImageMapFields(text, tags);
    CImageMapDlg dialog(this);
    dialog.SetFields(before, tags.image.present(), tags.map.present());
    if (Prompts().RunDialog(dialog) != QDialog::Accepted) return;
    const TextEdit edit = SetImageMapEdit(text, before, dialog.Fields());
    if (edit.removed != 0 || !edit.inserted.empty()) m_pane.ApplyEdit(edit);
}

QStringList CMainFrame::DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    emit filesDropped(files);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::SetRecentFiles(const QStringList& paths) {
    m_mruPlaceholder->setVisible(paths.isEmpty());
    for (size_t i = 0; i < m_mruActions.size(); ++i) {
        QAction& action = *m_mruActions[i];
        const bool used = qsizetype(i) < paths.size();
        action.setVisible(used);
        action.setText(used ? RecentMenuText(int(i), paths[qsizetype(i)]) : QString());
        action.setData(used ? paths[qsizetype(i)] : QString());
    }
}

QList<QAction*> CMainFrame::RecentActions() const {
    QList<QAction*> result;
    for (const auto& action : m_mruActions) {
        if (action->isVisible()) result.append(action.get());
    }
    return result;
}

void CMainFrame::OnTagUpper() {
    SetTagSetting(GetTagSetting() == 0 ? 1 : 0);
    OnUpdateTagUpper();
}

void CMainFrame::OnUpdateTagUpper() {
    if (QAction* tag = Action(cmd::kTagUpper)) tag->setChecked(GetTagSetting() != 0);
}

void CMainFrame::OnFullColour() {
    SetFullColourSetting(!GetFullColourSetting());
    OnUpdateFullColour();
}

void CMainFrame::OnUpdateFullColour() {
    if (QAction* full = Action(cmd::kViewFullColour)) full->setChecked(GetFullColourSetting());
}

void CMainFrame::OnBaseFolder() {
    CBaseDirDlg dialog;
    Prompts().RunDialog(dialog);
}
