// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame: menus, the tag-case switch, the docking bar and pane, the two dialogs, and
// Qt's own dialogs as the editor sets them up (filters, Japanese whatever the locale).

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>

#include "app_folder.h"
#include "shell/dialogs.h"
#include "shell/image_map_dlg.h"
#include "shell/picture_types.h"
#include "shell/qt_japanese.h"

namespace {

// The menu's visible items, its separators ("-") and its submenus' items.
QStringList Captions(const QMenu& menu) {
    QStringList result;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator() || action->isVisible())
            result << (action->isSeparator() ? QString("-") : action->text());
        if (action->menu()) result << Captions(*action->menu());
    }
    return result;
}

// The dialog's part of that type and object name; the test fails without it.
template <typename T>
T* Part(QFileDialog& dialog, const char* name) {
    T* part = dialog.findChild<T*>(QLatin1String(name));
    if (!part) QTest::qFail(name, __FILE__, __LINE__);
    return part;
}

// Picks a filter as the user does.
void ChooseFilter(QFileDialog& dialog, int index) {
    Part<QComboBox>(dialog, "fileTypeCombo")->setCurrentIndex(index);
    emit Part<QComboBox>(dialog, "fileTypeCombo")->activated(index);
}

QStringList Listed(QFileDialog& dialog) {
    auto* list = Part<QListView>(dialog, "listView");
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int row = 0; list->model() && row < list->model()->rowCount(root); ++row)
        names << list->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

// The texts of the accept button, the cancel button and the name's label.
QStringList Captions(QFileDialog& dialog, QDialogButtonBox::StandardButton accept) {
    auto* box = Part<QDialogButtonBox>(dialog, "buttonBox");
    return {box->button(accept)->text(), box->button(QDialogButtonBox::Cancel)->text(),
            Part<QLabel>(dialog, "fileNameLabel")->text()};
}
}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

private slots:
    void initTestCase() { QVERIFY2(InstallQtJapanese(), qPrintable(QtTranslationsFolder())); }

    void init() {
        m_f.Make();
        SetProfileStore(m_f.store.get());
    }
    void cleanup() {
        SetProfileStore(nullptr);
        m_f.Drop();
    }

    void baseFolderIsStoredOnlyOnOkAndTheLinkDialogFollowsIt() {
        ScriptedPrompts prompts;
        CMainFrame frame;
        SetBaseDirSetting("/old");
        QString shown;
        const auto run = [&](bool ok) {
            prompts.folderAnswers.push_back(QStringLiteral("/srv/www"));
            prompts.onDialog = [&, ok](QDialog& dialog) {
                auto& dlg = dynamic_cast<CBaseDirDlg&>(dialog);
                shown = dlg.FolderEdit().text();
                dlg.OnBrowse();
                ok ? dlg.accept() : dlg.reject();
                return dlg.result();
            };
            frame.Action(cmd::kBaseFolder)->trigger();
        };
        run(false);
        QCOMPARE(GetBaseDirSetting(), std::string("/old"));
        run(true);
        QCOMPARE(shown, QStringLiteral("/old"));
        QCOMPARE(GetBaseDirSetting(), std::string("/srv/www"));

        // The link dialog's 参照 keeps the alternative text. No base folder:
        // the file name alone; the file dialog starts in the home folder
        // unless told the picture's (see the frame-view tests).
        SetBaseDirSetting("");
        CLinkDlg dlg;
        dlg.AltEdit().setText(U("代替え"));
        prompts.AnswerFile(QStringLiteral("/site/img/a.html"), 0);
        dlg.OnBrowse();
        QCOMPARE(dlg.UrlEdit().text(), QStringLiteral("a.html"));
        QCOMPARE(prompts.fileRequests.back().directory, QDir::homePath());

        // A base folder set meanwhile applies at once.
        SetBaseDirSetting("/site");
        prompts.AnswerFile(QStringLiteral("/site/img/b.htm"), 0);
        dlg.OnBrowse();
        dlg.accept();
        QCOMPARE(dlg.m_strURL, QStringLiteral("img/b.htm"));
        QCOMPARE(dlg.m_strAlt, U("代替え"));

        // The section of further attributes, once opened, opens with the next dialog.
        AreaLink link;
        link.href = "a.html";
        link.target = "_top";
        link.rel = "next";
        {
            CLinkDlg more;
            QVERIFY(!more.MoreButton().isChecked());
            more.SetLink(link);
            more.MoreButton().click();
            more.MoreEdit(0).setText(QStringLiteral("T"));
            more.accept();
            const AreaLink got = more.Link();
            QCOMPARE(got.href + "|" + got.title + "|" + got.target + "|" + got.rel,
                     std::string("a.html|T|_top|next"));
        }
        QCOMPARE(GetMoreAttributesSetting(), true);
        CLinkDlg again;
        QVERIFY(again.MoreButton().isChecked());

        // The link dialog starts in the link field and Enter presses the focused button;
        // 参照 is answered with a cancel.
        // Focus on OK, キャンセル, 参照, or where it starts: the URL field, where
        // an existing link comes selected, so typing replaces it. The result
        // the dialog closes with, or -1 where it stays open.
        const int results[] = {QDialog::Accepted, QDialog::Rejected, -1, QDialog::Accepted,
                               QDialog::Accepted};
        for (int focus = 0; focus < 5; ++focus) {
            CLinkDlg dlg;
            const QString old = focus == 4 ? QStringLiteral("old.html") : QString();
            dlg.UrlEdit().setText(old);
            QWidget* const widgets[] = {&dlg.OkButton(), &dlg.CancelButton(), &dlg.BrowseButton()};
            QWidget* const widget = focus < 3 ? widgets[focus] : &dlg.UrlEdit();
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            if (focus < 3) widget->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), widget);
            if (focus >= 3) {
                QCOMPARE(dlg.UrlEdit().selectedText(), old);
                QTest::keyClicks(widget, QStringLiteral("a.html"));
            }
            const size_t asked = prompts.fileRequests.size();
            QTest::keyClick(widget, Qt::Key_Return);
            const bool closes = results[focus] >= 0;
            QCOMPARE(dlg.isVisible(), !closes);
            if (closes) QCOMPARE(dlg.result(), results[focus]);
            QCOMPARE(prompts.fileRequests.size(), asked + (closes ? 0 : 1));
            if (focus >= 3) QCOMPARE(dlg.m_strURL, QStringLiteral("a.html"));
        }
    }

    void theFrameMenusTagTogglePaneAndBar() {
        SetTagSetting(5);  // stored from outside: counts as on, and is switched off
        CMainFrame frame;
        frame.resize(700, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QStringList menus;
        for (QAction* menu : frame.menuBar()->actions())
            menus << menu->text() << Captions(*menu->menu());
        QCOMPARE(
            menus.join(QLatin1Char('|')),
            U("ファイル(&F)|開く(&O)...\tCtrl+O|名前をつけて保存 (&S)|-|マップを開く(&M)...|"
              "マップを保存(&A)|名前を付けてマップを保存(&K)...|別のマップ(&N)...|書き出し(&E)|"
              "SVG 重ね合わせ (&S)...|伸縮するマップ (&M)...|-|最新のﾌｧｲﾙ|-|終了(&X)\tCtrl+Q|"
              "編集(&E)|元に戻す(&U)\tCtrl+Z|やり直し(&R)\tCtrl+Y|-|すべての領域を選択(&A)\tCtrl+A|"
              "-|"
              "画像とマップの設定(&I)...|"
              "領域(&R)|円 (&C)\tC|矩形 (&R)\tR|多角形 （&P)\tP|輪郭 (&O)\tO|選択 (&S)\tS|-|"
              "領域の輪郭を表示 (&V)|"
              "座標 (&N)...\tCtrl+E|"
              "-|前面へ|背面へ|領域一覧|-|領域をコピー (&Y)\tCtrl+C|領域を切り取り "
              "(&T)\tCtrl+X|領域を貼り付け (&E)\tCtrl+V|"
              "領域を複製 (&D)\tCtrl+D|配置 (&A)|揃える (&A)|左 (&L)|右 (&R)|上 (&T)|下 (&B)|"
              "左右中央 (&C)|上下中央 (&M)|同じ大きさ (&Z)|幅 (&W)|高さ (&H)|等間隔 (&Q)|横 (&H)|"
              "縦 (&V)|"
              "表示(&V)|拡大 (&I)\tCtrl++|縮小 (&O)\tCtrl+-|ウィンドウに合わせる (&W)\tCtrl+0|-|"
              "実際のサイズ (&N)|2倍表示 (&L)|-|ピクセルグリッド (&G)|-|"
              "領域の番号 (&U)\tCtrl+Shift+U|領域の塗り (&F)\tCtrl+Shift+F|"
              "透明部分を市松模様で表示 (&K)|-|フルカラー "
              "(&C)|グリッド "
              "(&D)|"
              "グリッドの間隔 (&S)...|"
              "その他(&O)|基本フォルダ 設定(&B)|画像サイズ (&S)|実際のサイズ (&N)|2倍表示 (&L)|"
              "タグを大文字にする (&T)|ZURI Zezez SEKKAにデータ転送 (&H)|ブラウザで確認 (&W)|"
              "伸縮を確認 (&Z)...|問題 (&P)|"
              "ヘルプ(&H)|使い方 (&M)|キーボードショートカット (&K)|-|バージョン情報 (&A)"));
        // No two commands share a key.
        QStringList keys;
        for (const QAction* action : frame.findChildren<QAction*>())
            if (!action->shortcut().isEmpty()) keys << action->shortcut().toString();
        QVERIFY2(keys.size() >= 5 && keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
        QAction* tag = frame.Action(cmd::kTagUpper);
        QVERIFY(tag->isChecked());
        frame.Pane().SetWindowText("<img>");
        tag->trigger();
        QCOMPARE(GetTagSetting(), 0);
        QVERIFY(!tag->isChecked());
        QCOMPARE(frame.Pane().GetWindowText(), std::string("<img>"));  // not converted

        // The pane refuses dropped files and keeps its text.
        MarkupPane& pane = frame.Pane();
        CMarkupEdit& edit = frame.Edit();
        pane.SetWindowText("<map>");
        // Only the pane takes drops at all (the area list only its own rows) ...
        QTableView& list = frame.AreaList().Table();
        for (QWidget* widget : frame.findChildren<QWidget*>())
            QVERIFY2(!widget->acceptDrops() || widget == edit.viewport() || widget == &edit ||
                         widget == &list || widget == list.viewport(),
                     widget->metaObject()->className());
        // ... and no files, with or without text beside them (those go on to
        // the window, which opens them); plain text it takes.
        QMimeData file, fileAndText, text;
        file.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
        fileAndText.setUrls(file.urls());
        fileAndText.setText(QStringLiteral("file:///tmp/a.png"));
        text.setText(QStringLiteral("x"));
        QVERIFY(!list.model()->canDropMimeData(&fileAndText, Qt::MoveAction, 0, 0, {}));
        QSignalSpy dropped(&frame, &CMainFrame::filesDropped);
        for (QMimeData* data : {&file, &fileAndText, &text}) {
            QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(edit.viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(3, 3), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(edit.viewport(), &drop);
            QVERIFY(drop.isAccepted());
        }
        QCOMPARE(dropped.size(), 2);
        QVERIFY(pane.GetWindowText().find("file:") == std::string::npos);
        QVERIFY(pane.GetWindowText().find('x') != std::string::npos);

        // A lone CR or LF becomes a line break; the rest comes back as set.
        pane.SetWindowText("\xC2\xA0<map>\rb\nc");
        const std::string set = "\xC2\xA0<map>\r\nb\r\nc";
        QCOMPARE(pane.GetWindowText(), set);
        // Typed text and Return too; an insertion leaves the caret after it.
        edit.setFocus();
        edit.moveCursor(QTextCursor::End);
        QTest::keyClicks(&edit, QStringLiteral("ab"));
        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
        const std::string typed = set + "ab\r\n\r\n";
        QCOMPARE(pane.GetWindowText(), typed);
        pane.ReplaceSel("<area>\r\n</map>", false);
        QCOMPARE(pane.GetWindowText(), typed + "<area>\r\n</map>");
        QVERIFY(edit.textCursor().atEnd());
        QVERIFY(!edit.document()->isUndoAvailable());

        // The bar keeps its margin, and the margin moves it.
        CResizableBar& bar = frame.Bar();
        QCOMPARE(bar.height(), 200);
        auto fits = [&] {
            QApplication::processEvents();
            const QRect client = bar.Client().rect();
            const QRect pane(frame.Edit().mapTo(&bar.Client(), QPoint(0, 0)), frame.Edit().size());
            return pane == client.adjusted(5, 5, -5, -5) &&
                   bar.Client().mapTo(&bar, QPoint(0, 0)) == QPoint(0, 0) &&
                   bar.Client().size() == bar.size();
        };
        QVERIFY(fits());

        // Press in the margin and drag to the frame's left edge: docked there.
        const auto dragTo = [&](QPoint framePoint) {
            const QPoint from = bar.Client().mapToGlobal(QPoint(2, 2));
            const QPoint to = frame.mapToGlobal(framePoint);
            bar.MarginPressed(from);
            bar.MarginMoved(from + QPoint(30, -30));
            QVERIFY(bar.isFloating());
            bar.MarginMoved(to);
            bar.MarginReleased(to);
        };
        dragTo(QPoint(10, frame.height() / 2));
        QTRY_COMPARE(bar.DockSide(), Qt::LeftDockWidgetArea);
        QVERIFY(fits());  // the margin on the left too
        // 200 wide, not the width it had along the bottom; the picture keeps its room.
        QTRY_COMPARE(bar.width(), 200);
        QVERIFY(frame.View().width() > 400);

        // A double-click in the margin floats the bar, with the window
        // system's caption and frame, near the main window; another docks it
        // where it was.
        frame.resizeDocks({&bar}, {260}, Qt::Horizontal);
        QTRY_COMPARE(bar.width(), 260);
        frame.move(300, 200);
        QTest::mouseDClick(&bar.Client(), Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_VERIFY(bar.isFloating() && !bar.titleBarWidget());
        QVERIFY(!(bar.windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(frame.frameGeometry().contains(bar.geometry().topLeft()));
        QTest::mouseDClick(&bar.Client(), Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_VERIFY(!bar.isFloating() && bar.titleBarWidget());
        QTRY_COMPARE(bar.width(), 260);

        // Each orientation keeps its own thickness.
        dragTo(QPoint(frame.width() / 2, frame.height() - 10));
        QTRY_COMPARE(bar.DockSide(), Qt::BottomDockWidgetArea);
        QTRY_COMPARE(bar.height(), 200);
        dragTo(QPoint(frame.width() - 10, frame.height() / 2));
        QTRY_COMPARE(bar.DockSide(), Qt::RightDockWidgetArea);
        QTRY_COMPARE(bar.width(), 260);
    }

    void imageAndMapDialogEditsTheTagsAsOneUndoStep() {
        ScriptedPrompts prompts;
        CMainFrame frame;
        QAction* command = frame.Action(cmd::kImageMap);
        frame.Pane().SetWindowText("<p>");  // neither tag: no dialog, a note
        command->trigger();
        QCOMPARE(prompts.dialogsRun, 0);
        QVERIFY(!frame.StatusBar().currentMessage().isEmpty());

        const std::string skeleton =
            "<IMG SRC=\"a.png\" WIDTH=160 HEIGHT=120 ALT=\"\" USEMAP=\"#map_a\">\r\n"
            "<MAP NAME=\"map_a\">\r\n<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\">\r\n</MAP>";
        frame.Pane().SetWindowText(skeleton);
        bool okWithBlankName = true;
        prompts.onDialog = [&](QDialog& dialog) {
            auto& dlg = dynamic_cast<CImageMapDlg&>(dialog);
            dlg.NameEdit().setText(QStringLiteral("a b"));
            okWithBlankName = dlg.OkButton().isEnabled();
            dlg.NameEdit().setText(U("地図"));
            dlg.AltEdit().setText(U("館内の案内"));
            dlg.WidthEdit().clear();
            return int(QDialog::Accepted);
        };
        command->trigger();
        QVERIFY(!okWithBlankName);
        QCOMPARE(frame.Pane().GetWindowText(),
                 std::string("<IMG SRC=\"a.png\" HEIGHT=120 ALT=\"館内の案内\" "
                             "USEMAP=\"#地図\">\r\n<MAP NAME=\"地図\">\r\n"
                             "<AREA SHAPE=\"rect\" COORDS=\"1,2,3,4\">\r\n</MAP>"));
        frame.Action(cmd::kEditUndo)->trigger();
        QCOMPARE(frame.Pane().GetWindowText(), skeleton);
    }

    void saveAsFiltersAndQtDialogsSpeakJapanese() {  // the open dialog's are checked below
        const QList<FileFilter> filters = SaveAsFilters();
        QStringList shown;
        for (const FileFilter& filter : filters) shown << filter.description << filter.patterns;
        QCOMPARE(shown.join(' '), U("(*.gif,*.jpg,*.jpeg,*.png,*.bmp,*.webp,*.avif) *.gif *.jpeg "
                                    "*.jpg *.png *.bmp *.webp *.avif 全てのﾌｧｨﾙ(*.*) *.*"));
        FileRequest request;
        request.open = false;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, request);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(Captions(dialog, QDialogButtonBox::Save),
                 (QStringList{U("保存(&S)"), U("キャンセル"), U("ファイル名(&N):")}));
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), U("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), U("いいえ(&N)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), U("キャンセル"));
    }

    void pictureFiltersShowDescriptionsAndMatchWithoutADot() {
        testutil::TempDir dir;
        for (const char* name :
             {"a.gif", "xgif", "c.jpeg", "d.jpg", "e.png", "f.bmp", "g.txt", "H.JPEG", "i.PNG.txt"})
            testutil::WriteFile(dir.File(name), "x");
        FileRequest request;
        request.mustExist = true;
        request.filters = PictureFilters(true);
        request.filterIndex = 3;
        QFileDialog dialog;
        ConfigureFileDialog(dialog, request);
        dialog.setDirectory(QString::fromStdString(dir.path().string()));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        auto* combo = Part<QComboBox>(dialog, "fileTypeCombo");
        QStringList filters;
        for (int i = 0; i < combo->count(); ++i) filters << combo->itemText(i);
        QCOMPARE(filters,
                 (QStringList{U("すべての画像(*.gif,*.jpg,*.jpeg,*.png,*.bmp,*.webp,*.avif)"),
                              U("GIFﾌｧｲﾙ(*.gif)"), U("JPEGﾌｧｲﾙ(*.jpg)"), U("PNGﾌｧｲﾙ(*.png)"),
                              U("BMPﾌｧｲﾙ(*.bmp)"), U("WebPﾌｧｲﾙ(*.webp)"), U("AVIFﾌｧｲﾙ(*.avif)")}));
        QCOMPARE(Captions(dialog, QDialogButtonBox::Open),
                 (QStringList{U("開く(&O)"), U("キャンセル"), U("ファイル名(&N):")}));
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("e.png")});

        ChooseFilter(dialog, 0);  // every picture, upper-case names too
        QTRY_COMPARE(Listed(dialog), (QStringList{U("H.JPEG"), U("a.gif"), U("c.jpeg"), U("d.jpg"),
                                                  U("e.png"), U("f.bmp")}));
        ChooseFilter(dialog, 1);
        QTRY_COMPARE(Listed(dialog),
                     (QStringList{QStringLiteral("a.gif"), QStringLiteral("xgif")}));
        ChooseFilter(dialog, 2);  // *jpg: .jpeg is not listed
        QTRY_COMPARE(Listed(dialog), QStringList{QStringLiteral("d.jpg")});

        // The answer carries the path and the filter chosen last.
        auto* name = Part<QLineEdit>(dialog, "fileNameEdit");
        name->setText(QStringLiteral("d.jpg"));
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        const FileAnswer answer = ReadFileAnswer(dialog, request);
        QVERIFY(answer.accepted);
        QCOMPARE(answer.path, QString::fromStdString(dir.File("d.jpg")));
        QCOMPARE(answer.filterIndex, 2);
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
