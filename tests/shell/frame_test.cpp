// The main frame: menus, the tag-case switch, the docking bar
// with the pane, the pane's text round trip and the two dialogs.

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include "app_folder.h"
#include "shell/dialogs.h"

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

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
}  // namespace

class FrameTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

private slots:
    void init() {
        m_f.Make();
        SetProfileStore(m_f.store.get());
    }
    void cleanup() {
        SetProfileStore(nullptr);
        m_f.Drop();
    }

    void menusCarryEveryCommand() {
        CMainFrame frame;
        QStringList menus;
        for (QAction* menu : frame.menuBar()->actions())
            menus << menu->text() << Captions(*menu->menu());
        QCOMPARE(
            menus.join(QLatin1Char('|')),
            U("ファイル(&F)|開く(&O)...\tCtrl+O|名前をつけて保存 (&S)|-|マップを開く(&M)...|"
              "マップを保存(&A)|名前を付けてマップを保存(&K)...|-|最新のﾌｧｲﾙ|"
              "編集(&E)|元に戻す(&U)\tCtrl+Z|やり直し(&R)\tCtrl+Y|"
              "領域(&R)|円 (&C)|矩形 (&R)|多角形 （&P)|輪郭 (&O)|選択 (&S)|-|領域の輪郭を表示 (&V)|"
              "表示(&V)|拡大 (&I)\tCtrl++|縮小 (&O)\tCtrl+-|ウィンドウに合わせる (&W)\tCtrl+0|-|"
              "実際のサイズ (&N)|2倍表示 (&L)|-|ピクセルグリッド (&G)|"
              "その他(&O)|基本フォルダ 設定(&B)|画像サイズ (&S)|実際のサイズ (&N)|2倍表示 (&L)|"
              "タグを大文字にする (&T)|ZURI Zezez SEKKAにデータ転送 (&H)|ブラウザで確認 (&W)"));
        // No two commands share a key.
        QStringList keys;
        for (const QAction* action : frame.findChildren<QAction*>())
            if (!action->shortcut().isEmpty()) keys << action->shortcut().toString();
        QVERIFY2(keys.size() >= 5 && keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
    }

    void tagToggleFollowsTheStore() {
        SetTagSetting(5);  // stored from outside: counts as on, and is switched off
        CMainFrame frame;
        QAction* tag = frame.Action(cmd::kTagUpper);
        QVERIFY(tag->isChecked());
        frame.Pane().SetWindowText("<img>");
        tag->trigger();
        QCOMPARE(GetTagSetting(), 0);
        QVERIFY(!tag->isChecked());
        QCOMPARE(frame.Pane().GetWindowText(), std::string("<img>"));  // not converted
    }

    void baseFolderIsStoredOnlyOnOkAndLinksFollowIt() {
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
    }

    void linkDialogStartsInTheLinkField() {
        // Typed at once, confirmed with Enter; an existing link comes selected,
        // so typing replaces it.
        for (const char* old : {"", "old.html"}) {
            CLinkDlg dlg;
            dlg.UrlEdit().setText(QString::fromUtf8(old));
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            QTRY_COMPARE(QApplication::focusWidget(), &dlg.UrlEdit());
            QCOMPARE(dlg.UrlEdit().selectedText(), QString::fromUtf8(old));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("a.html"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.m_strURL, QStringLiteral("a.html"));
        }
    }

    void enterPressesTheFocusedButton() {
        ScriptedPrompts prompts;  // 参照 is answered with a cancel
        // Focus on OK, キャンセル, 参照, the URL field: the result the dialog
        // closes with, or -1 where it stays open.
        const int results[] = {QDialog::Accepted, QDialog::Rejected, -1, QDialog::Accepted};
        for (int focus = 0; focus < 4; ++focus) {
            CLinkDlg dlg;
            QWidget* const widgets[] = {&dlg.OkButton(), &dlg.CancelButton(), &dlg.BrowseButton(),
                                        &dlg.UrlEdit()};
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            widgets[focus]->setFocus();
            QTRY_VERIFY(widgets[focus]->hasFocus());
            const size_t asked = prompts.fileRequests.size();
            QTest::keyClick(widgets[focus], Qt::Key_Return);
            const bool closes = results[focus] >= 0;
            QCOMPARE(dlg.isVisible(), !closes);
            if (closes) QCOMPARE(dlg.result(), results[focus]);
            QCOMPARE(prompts.fileRequests.size(), asked + (closes ? 0 : 1));
        }
    }

    void paneRefusesDroppedFilesAndKeepsItsText() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        MarkupPane& pane = frame.Pane();
        CMarkupEdit& edit = frame.Edit();
        pane.SetWindowText("<map>");
        // Only the pane takes drops at all ...
        for (QWidget* widget : frame.findChildren<QWidget*>())
            QVERIFY2(!widget->acceptDrops() || widget == edit.viewport() || widget == &edit,
                     widget->metaObject()->className());
        QVERIFY(!frame.acceptDrops());
        // ... and no files, with or without text beside them; plain text it takes.
        QMimeData file, fileAndText, text;
        file.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.png"))});
        fileAndText.setUrls(file.urls());
        fileAndText.setText(QStringLiteral("file:///tmp/a.png"));
        text.setText(QStringLiteral("x"));
        for (QMimeData* data : {&file, &fileAndText, &text}) {
            const bool taken = data == &text;
            QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(edit.viewport(), &enter);
            QCOMPARE(enter.isAccepted(), taken);
            QDropEvent drop(QPointF(3, 3), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(edit.viewport(), &drop);
            QCOMPARE(drop.isAccepted(), taken);
        }
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
    }

    void theBarKeepsItsMarginAndTheMarginMovesIt() {
        CMainFrame frame;
        frame.resize(700, 600);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
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
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
