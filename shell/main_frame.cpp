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

#include "doc/map_doc.h"
#include "doc/settings.h"
#include "image/image.h"
#include "image/region_trace.h"
#include "markup/responsive_map.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/icons.h"
#include "shell/prompts.h"
#include "shell/recent_files.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(AppIcon());
    resize(760, 600);

    // Commands: text, prompt and tooltip. The menu text of Open carries its
    // key after a tab, as the menu shows it.
    QAction* open = AddCommand(cmd::kFileOpen, U("開く(&O)...\tCtrl+O"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* saveAs = AddCommand(cmd::kFileSaveAs, U("名前をつけて保存 (&S)"));
    QAction* circle = AddCommand(cmd::kToolCircle, U("円 (&C)"));
    QAction* rect = AddCommand(cmd::kToolRect, U("矩形 (&R)"));
    QAction* polygon = AddCommand(cmd::kToolPolygon, U("多角形 （&P)"));
    QAction* select = AddCommand(cmd::kToolSelect, U("選択 (&S)"));
    QAction* showAreas = AddCommand(cmd::kViewAreas, U("領域の輪郭を表示 (&V)"));
    QAction* undo = AddCommand(cmd::kEditUndo, U("元に戻す(&U)\tCtrl+Z"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = AddCommand(cmd::kEditRedo, U("やり直し(&R)\tCtrl+Y"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    QAction* trace = AddCommand(cmd::kToolTrace, U("輪郭 (&O)"));
    QAction* baseFolder = AddCommand(cmd::kBaseFolder, U("基本フォルダ 設定(&B)"));
    QAction* zoomNormal = AddCommand(cmd::kZoomNormal, U("実際のサイズ (&N)"));
    QAction* zoomDouble = AddCommand(cmd::kZoomDouble, U("2倍表示 (&L)"));
    // Ctrl with plus, minus and 0 zoom as a browser does; nothing else in
    // the window takes them.
    QAction* zoomIn = AddCommand(cmd::kZoomIn, U("拡大 (&I)\tCtrl++"));
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus),
                          QKeySequence(Qt::CTRL | Qt::Key_Equal),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)});
    QAction* zoomOut = AddCommand(cmd::kZoomOut, U("縮小 (&O)\tCtrl+-"));
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QAction* zoomFit = AddCommand(cmd::kZoomFit, U("ウィンドウに合わせる (&W)\tCtrl+0"));
    zoomFit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* pixelGrid = AddCommand(cmd::kPixelGrid, U("ピクセルグリッド (&G)"));
    pixelGrid->setCheckable(true);
    QAction* tag = AddCommand(cmd::kTagUpper, U("タグを大文字にする (&T)"));
    tag->setCheckable(true);
    QAction* transfer = AddCommand(cmd::kTransfer, U("ZURI Zezez SEKKAにデータ転送 (&H)"));
    QAction* mapOpen = AddCommand(cmd::kMapOpen, U("マップを開く(&M)..."));
    mapOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QAction* mapSave = AddCommand(cmd::kMapSave, U("マップを保存(&A)"));
    // Ctrl+S saves the markup: the editor never changes the picture, so
    // writing it back could only lose what its file holds.
    mapSave->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    QAction* mapSaveAs = AddCommand(cmd::kMapSaveAs, U("名前を付けてマップを保存(&K)..."));
    mapSaveAs->setShortcut(QKeySequence(Qt::Key_F12));
    QAction* mapSwitch = AddCommand(cmd::kMapSwitch, U("別のマップ(&N)..."));
    QAction* browserCheck = AddCommand(cmd::kBrowserCheck, U("ブラウザで確認 (&W)"));
    QAction* fullColour = AddCommand(cmd::kViewFullColour, U("フルカラー (&C)"));
    fullColour->setCheckable(true);
    QAction* exportSvg = AddCommand(cmd::kExportSvg, U("SVG 重ね合わせ (&S)..."));
    QAction* exportScaling = AddCommand(cmd::kExportScalingMap, U("伸縮するマップ (&M)..."));
    QAction* scaledPreview = AddCommand(cmd::kScaledPreview, U("伸縮を確認 (&Z)..."));
    QAction* selectAll = AddCommand(cmd::kEditSelectAll, U("すべての領域を選択(&A)\tCtrl+A"));
    // In the pane Ctrl+A still selects its text: the pane takes the key first.
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    QAction* coords = AddCommand(cmd::kAreaCoords, U("座標 (&N)...\tCtrl+E"));
    coords->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QAction* quit = AddCommand(cmd::kAppExit, U("終了(&X)\tCtrl+Q"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Menu 128.
    m_fileMenu = menuBar()->addMenu(U("ファイル(&F)"));
    m_fileMenu->addAction(open);
    m_fileMenu->addAction(saveAs);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(mapOpen);
    m_fileMenu->addAction(mapSave);
    m_fileMenu->addAction(mapSaveAs);
    m_fileMenu->addAction(mapSwitch);
    QMenu* exportMenu = m_fileMenu->addMenu(U("書き出し(&E)"));
    exportMenu->addAction(exportSvg);
    exportMenu->addAction(exportScaling);
    m_fileMenu->addSeparator();
    m_mruPlaceholder = std::make_unique<QAction>(U("最新のﾌｧｲﾙ"), this);
    m_mruPlaceholder->setEnabled(false);
    m_fileMenu->addAction(m_mruPlaceholder.get());
    for (size_t i = 0; i < m_mruActions.size(); ++i) {
        m_mruActions[i] = std::make_unique<QAction>(this);
        m_mruActions[i]->setStatusTip(CommandPrompt(cmd::kFileMru1));
        m_mruActions[i]->setVisible(false);
        m_fileMenu->addAction(m_mruActions[i].get());
        const int index = int(i);
        connect(m_mruActions[i].get(), &QAction::triggered, this,
                [this, index] { emit recentFileRequested(index); });
    }
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(quit);

    // The pane's own undo history: typing and every change made on the
    // picture alike.
    QMenu* edit = menuBar()->addMenu(U("編集(&E)"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(selectAll);

    QMenu* areas = menuBar()->addMenu(U("領域(&R)"));
    areas->addAction(circle);
    areas->addAction(rect);
    areas->addAction(polygon);
    areas->addAction(trace);
    areas->addAction(select);
    areas->addSeparator();
    areas->addAction(showAreas);
    areas->addAction(coords);
    areas->addSeparator();
    areas->addAction(&m_areaList.FrontAction());
    areas->addAction(&m_areaList.BackAction());
    areas->addAction(m_areaList.toggleViewAction());
    AddArrangeMenus(areas);

    QMenu* view = menuBar()->addMenu(U("表示(&V)"));
    view->addAction(zoomIn);
    view->addAction(zoomOut);
    view->addAction(zoomFit);
    view->addSeparator();
    view->addAction(zoomNormal);
    view->addAction(zoomDouble);
    view->addSeparator();
    view->addAction(pixelGrid);
    view->addSeparator();
    AddShownItems(view);
    view->addSeparator();
    view->addAction(fullColour);
    connect(view, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateFullColour);
    AddGridItems(view);

    QMenu* other = menuBar()->addMenu(U("その他(&O)"));
    other->addAction(baseFolder);
    QMenu* size = other->addMenu(U("画像サイズ (&S)"));
    size->addAction(zoomNormal);
    size->addAction(zoomDouble);
    other->addAction(tag);
    other->addAction(transfer);
    other->addAction(browserCheck);
    other->addAction(scaledPreview);
    QAction* problems = m_problems.toggleViewAction();
    problems->setText(U("問題 (&P)"));
    problems->setStatusTip(CommandPrompt(cmd::kViewProblems));
    other->addAction(problems);
    connect(other, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateTagUpper);
    AddHelpMenu();

    // Toolbar 128: fixed at the top.
    m_wndToolBar.setObjectName(QStringLiteral("ToolBar"));
    m_wndToolBar.setWindowTitle(QStringLiteral("Toolbar"));
    m_wndToolBar.setMovable(false);
    m_wndToolBar.setFloatable(false);
    m_wndToolBar.setIconSize(QSize(kToolIconWidth, kToolIconHeight));
    m_wndToolBar.setContextMenuPolicy(Qt::PreventContextMenu);
    m_wndToolBar.addAction(open);
    m_wndToolBar.addSeparator();
    m_wndToolBar.addAction(circle);
    m_wndToolBar.addAction(rect);
    m_wndToolBar.addAction(polygon);
    m_wndToolBar.addAction(trace);
    m_wndToolBar.addWidget(&m_traceTolerance);
    m_wndToolBar.addAction(select);
    m_wndToolBar.addAction(showAreas);
    m_wndToolBar.addSeparator();
    m_wndToolBar.addAction(zoomNormal);
    m_wndToolBar.addAction(zoomDouble);
    m_wndToolBar.addWidget(&m_zoomBox);
    m_wndToolBar.addSeparator();
    m_wndToolBar.addAction(baseFolder);
    m_wndToolBar.addAction(transfer);
    addToolBar(Qt::TopToolBarArea, &m_wndToolBar);

    // One stretching pane; its idle text is empty.
    setStatusBar(&m_wndStatusBar);

    // The docking bar with the pane, docked along the bottom.
    m_wndBar.SetPane(&m_wndEdit);
    setCentralWidget(&m_view);
    m_wndBar.DockAt(Qt::BottomDockWidgetArea, CResizableBar::kDefaultSize);
    // The area list beside the pane.
    addDockWidget(Qt::BottomDockWidgetArea, &m_areaList);
    splitDockWidget(&m_wndBar, &m_areaList, Qt::Horizontal);
    setContextMenuPolicy(Qt::NoContextMenu);

    connect(open, &QAction::triggered, this, &CMainFrame::fileOpenRequested);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(selectAll, &QAction::triggered, &m_view, &CMapView::SelectAllAreas);
    connect(coords, &QAction::triggered, this, &CMainFrame::OnAreaCoords);
    setAcceptDrops(true);
    connect(saveAs, &QAction::triggered, this, &CMainFrame::fileSaveAsRequested);
    connect(mapOpen, &QAction::triggered, this, &CMainFrame::mapOpenRequested);
    connect(mapSave, &QAction::triggered, this, &CMainFrame::mapSaveRequested);
    connect(mapSaveAs, &QAction::triggered, this, &CMainFrame::mapSaveAsRequested);
    connect(browserCheck, &QAction::triggered, this, &CMainFrame::browserCheckRequested);
    connect(mapSwitch, &QAction::triggered, this, &CMainFrame::mapSwitchRequested);
    connect(scaledPreview, &QAction::triggered, this, &CMainFrame::scaledPreviewRequested);
    connect(exportSvg, &QAction::triggered, this,
            [this] { emit exportRequested(int(ResponsiveForm::kSvg)); });
    connect(exportScaling, &QAction::triggered, this,
            [this] { emit exportRequested(int(ResponsiveForm::kScalingMap)); });
    connect(tag, &QAction::triggered, this, &CMainFrame::OnTagUpper);
    connect(fullColour, &QAction::triggered, this, &CMainFrame::OnFullColour);
    connect(baseFolder, &QAction::triggered, this, &CMainFrame::OnBaseFolder);
    connect(circle, &QAction::triggered, &m_view, &CMapView::OnToolCircle);
    connect(rect, &QAction::triggered, &m_view, &CMapView::OnToolRect);
    connect(polygon, &QAction::triggered, &m_view, &CMapView::OnToolPolygon);
    connect(select, &QAction::triggered, &m_view, &CMapView::OnToolSelect);
    connect(showAreas, &QAction::triggered, &m_view, &CMapView::OnToggleAreas);

    // Undo and redo work on the pane wherever the focus is; the pane's own
    // keys do the same while it has the focus.
    QTextDocument* text = m_wndEdit.document();
    connect(undo, &QAction::triggered, &m_wndEdit, &QPlainTextEdit::undo);
    connect(redo, &QAction::triggered, &m_wndEdit, &QPlainTextEdit::redo);
    connect(text, &QTextDocument::undoAvailable, undo, &QAction::setEnabled);
    connect(text, &QTextDocument::redoAvailable, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
    // The outlines follow the text; the caret in a tag selects its area.
    connect(text, &QTextDocument::contentsChange, &m_view, [this] {
        m_view.OnPaneChanged();
        m_areaList.OnPaneChanged();
    });
    connect(&m_wndEdit, &QPlainTextEdit::cursorPositionChanged, &m_view,
            &CMapView::OnPaneCaretMoved);
    connect(trace, &QAction::triggered, this, [this] {
        OnUpdateTraceTolerance();
        m_view.OnToolTrace();
    });
    connect(zoomNormal, &QAction::triggered, &m_view, &CMapView::OnZoomNormal);
    connect(zoomDouble, &QAction::triggered, &m_view, &CMapView::OnZoomDouble);
    connect(zoomIn, &QAction::triggered, &m_view, &CMapView::OnZoomIn);
    connect(zoomOut, &QAction::triggered, &m_view, &CMapView::OnZoomOut);
    connect(zoomFit, &QAction::triggered, &m_view, &CMapView::OnZoomFit);
    connect(pixelGrid, &QAction::toggled, &m_view, &CMapView::OnShowPixelGrid);
    connect(transfer, &QAction::triggered, &m_view,
            [this] { m_view.Transfer(m_pane.GetWindowText()); });
    // The view tells what changed; the frame shows it.
    connect(&m_view, &CMapView::commandStateChanged, this, &CMainFrame::UpdateViewChecks);
    connect(&m_view, &CMapView::statusMessage, &m_wndStatusBar,
            [this](const QString& text) { m_wndStatusBar.showMessage(text); });
    m_view.SetAreaLinkPrompt([this](AreaLink* link) { return AskAreaLink(link); });
    UpdateViewChecks();

    // The outline tool's colour tolerance, stored as soon as it changes.
    m_traceTolerance.setObjectName(QStringLiteral("TraceTolerance"));
    m_traceTolerance.setRange(0, kMaxTraceTolerance);
    m_traceTolerance.setToolTip(U("輪郭の色の許容差 (RGBの距離)"));
    m_traceTolerance.setStatusTip(m_traceTolerance.toolTip());
    m_traceTolerance.setFocusPolicy(Qt::ClickFocus);
    OnUpdateTraceTolerance();
    connect(&m_traceTolerance, &QSpinBox::valueChanged, this, [this](int value) {
        if (value == GetTraceToleranceSetting()) return;
        SetTraceToleranceSetting(value);
        m_view.OnTraceToleranceChanged();
    });

    // The 問題 panel checks the pane's text against the picture open, a
    // moment after typing pauses, while it is shown; a click on a finding
    // selects its area, or the tag it is about in the pane.
    m_problems.SetSource([this] { return m_pane.GetWindowText(); },
                         [this] {
                             const CMapDoc* doc = m_view.GetDocument();
                             return doc && doc->m_pImage ? PictureSize{doc->m_pImage->GetWidth(),
                                                                       doc->m_pImage->GetHeight()}
                                                         : PictureSize{};
                         });
    addDockWidget(Qt::RightDockWidgetArea, &m_problems);
    m_problems.hide();
    connect(text, &QTextDocument::contentsChange, &m_problems, [this] {
        if (m_problems.isVisible()) m_problems.Schedule();
    });
    connect(&m_problems, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) m_problems.Recheck();
    });
    connect(&m_problems, &CProblemsPanel::areaChosen, this, [this](int area) {
        m_view.OnToolSelect();
        m_view.SelectArea(area);
    });
    connect(&m_problems, &CProblemsPanel::tagChosen, this, [this](size_t begin, size_t end) {
        QTextCursor cursor = m_wndEdit.textCursor();
        cursor.setPosition(m_pane.PositionOfByte(begin));
        cursor.setPosition(m_pane.PositionOfByte(end), QTextCursor::KeepAnchor);
        m_wndEdit.setTextCursor(cursor);
        m_wndEdit.setFocus();
    });
    // The zoom box: each preset level, then the fit; it follows the view.
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
    UpdateViewChecks();

    UpdateTitle(QString());
    SetRecentFiles({});
    OnUpdateTagUpper();
    OnUpdateFullColour();
}

void CMainFrame::UpdateViewChecks() {
    const struct {
        int id;
        bool checked;
    } checks[] = {
        {cmd::kToolCircle, m_view.GetTool() == CMapView::kToolCircle},
        {cmd::kToolRect, m_view.GetTool() == CMapView::kToolRect},
        {cmd::kToolPolygon, m_view.GetTool() == CMapView::kToolPolygon},
        {cmd::kToolTrace, m_view.GetTool() == CMapView::kToolTrace},
        {cmd::kToolSelect, m_view.GetTool() == CMapView::kToolSelect},
        {cmd::kZoomNormal, m_view.GetZoom() == 1},
        {cmd::kZoomDouble, m_view.GetZoom() == 2},
        {cmd::kViewAreas, m_view.AreasShown()},
        {cmd::kPixelGrid, m_view.PixelGridShown()},
    };
    for (const auto& c : checks) {
        if (QAction* action = Action(c.id)) {
            action->setCheckable(true);
            action->setChecked(c.checked);
            action->setEnabled(true);
        }
    }
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

QAction* CMainFrame::AddCommand(int id, const QString& text) {
    auto action = std::make_unique<QAction>(text, this);
    action->setStatusTip(CommandPrompt(id));
    const QString tip = CommandTooltip(id);
    if (!tip.isEmpty()) action->setToolTip(tip);
    const QIcon icon = CommandIcon(id);
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

void CMainFrame::OnAreaCoords() {
    const QString current = m_view.SelectedCoordsText();
    if (current.isEmpty()) {
        m_wndStatusBar.showMessage(U("座標を編集する領域を選択してください。"));
        return;
    }
    QInputDialog dialog(this);
    dialog.setWindowTitle(U("座標"));
    dialog.setLabelText(U("座標 (カンマ区切り、画像のピクセル):"));
    dialog.setTextValue(current);
    while (Prompts().RunDialog(dialog) == QDialog::Accepted) {
        if (m_view.SetSelectedCoords(dialog.textValue())) return;
        Prompts().ShowMessage(this, QStringLiteral("Zer Evizi SEKKA"),
                              U("座標の数がこの形に合いません (矩形は 4 つ、円は 3 つ、"
                                "多角形は 6 つ以上の偶数個の整数)。"));
    }
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
