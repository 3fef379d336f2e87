// The main frame: menus, the tag-case switch, the docking bar
// with the pane, the pane's text round trip and the two dialogs.

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QtTest>

#include "app_folder.h"
#include "common/test_util.h"
#include "markup/settings.h"
#include "scripted_prompts.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/main_frame.h"

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

QStringList Captions(const QMenu& menu) {
    QStringList result;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            result << QStringLiteral("-");
        } else if (action->isVisible()) {
            result << action->text();
            if (action->menu()) result << Captions(*action->menu());
        }
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
        const QList<QAction*> menus = frame.menuBar()->actions();
        QCOMPARE(int(menus.size()), 4);
        QCOMPARE(menus[0]->text(), U("ファイル(&F)"));
        QCOMPARE(Captions(*menus[0]->menu()),
                 (QStringList{U("開く(&O)...\tCtrl+O"), U("名前をつけて保存 (&S)"), "-",
                              U("マップを開く(&M)..."), U("マップを保存(&A)"),
                              U("名前を付けてマップを保存(&K)..."), "-", U("最新のﾌｧｲﾙ")}));
        QCOMPARE(menus[1]->text(), U("編集(&E)"));
        QCOMPARE(Captions(*menus[1]->menu()),
                 (QStringList{U("元に戻す(&U)\tCtrl+Z"), U("やり直し(&R)\tCtrl+Y")}));
        QCOMPARE(menus[2]->text(), U("領域(&R)"));
        QCOMPARE(Captions(*menus[2]->menu()),
                 (QStringList{U("円 (&C)"), U("矩形 (&R)"), U("多角形 （&P)"), U("輪郭 (&O)"),
                              U("選択 (&S)"), "-", U("領域の輪郭を表示 (&V)")}));
        QCOMPARE(menus[3]->text(), U("その他(&O)"));
        QCOMPARE(
            Captions(*menus[3]->menu()),
            (QStringList{U("基本フォルダ 設定(&B)"), U("画像サイズ (&S)"), U("実際のサイズ (&N)"),
                         U("2倍表示 (&L)"), U("タグを大文字にする (&T)"),
                         U("ZURI Zezez SEKKAにデータ転送 (&H)"), U("ブラウザで確認 (&W)")}));
        // No two commands share a key.
        QStringList keys;
        for (const QAction* action : frame.findChildren<QAction*>())
            if (!action->shortcut().isEmpty()) keys << action->shortcut().toString();
        QVERIFY2(keys.size() >= 5 && keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
    }

    void tagToggleFollowsTheStore() {
        CMainFrame frame;
        QAction* tag = frame.Action(cmd::kTagUpper);
        SetTagSetting(5);  // stored from outside: counts as on, and is switched off
        frame.OnUpdateTagUpper();
        frame.Pane().SetWindowText("<img>");
        tag->trigger();
        QCOMPARE(GetTagSetting(), 0);
        QVERIFY(!tag->isChecked());
        QCOMPARE(frame.Pane().GetWindowText(), std::string("<img>"));  // not converted
    }

    void baseFolderIsStoredOnlyOnOk() {
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
    }

    void linkBrowseKeepsTheAlternativeText() {
        ScriptedPrompts prompts;
        CLinkDlg dlg;
        dlg.AltEdit().setText(U("代替え"));

        // No base folder: the file name alone. The file dialog starts in
        // the home folder unless told the picture's.
        prompts.AnswerFile(QStringLiteral("/site/img/a.html"), 0);
        dlg.OnBrowse();
        QCOMPARE(dlg.UrlEdit().text(), QStringLiteral("a.html"));
        QCOMPARE(prompts.fileRequests.back().directory, QDir::homePath());

        // A base folder set meanwhile applies at once.
        SetBaseDirSetting("/site");
        prompts.AnswerFile(QStringLiteral("/site/img/b.htm"), 0);
        dlg.SetBrowseFolder(QStringLiteral("/site/img"));
        dlg.OnBrowse();
        QCOMPARE(prompts.fileRequests.back().directory, QStringLiteral("/site/img"));
        dlg.accept();
        QCOMPARE(dlg.m_strURL, QStringLiteral("img/b.htm"));
        QCOMPARE(dlg.m_strAlt, U("代替え"));
    }

    void enterPressesTheFocusedButton() {
        ScriptedPrompts prompts;  // 参照 is answered with a cancel
        // Focus on OK, キャンセル, 参照, the URL field: closed with what result.
        const struct {
            int focus;
            bool closes;
            int result;
        } rows[] = {{0, true, QDialog::Accepted},
                    {1, true, QDialog::Rejected},
                    {2, false, 0},
                    {3, true, QDialog::Accepted}};
        for (const auto& row : rows) {
            CLinkDlg dlg;
            QWidget* const widgets[] = {&dlg.OkButton(), &dlg.CancelButton(), &dlg.BrowseButton(),
                                        &dlg.UrlEdit()};
            dlg.show();
            QVERIFY(QTest::qWaitForWindowActive(&dlg));
            widgets[row.focus]->setFocus();
            QTRY_VERIFY(widgets[row.focus]->hasFocus());
            const size_t asked = prompts.fileRequests.size();
            QTest::keyClick(widgets[row.focus], Qt::Key_Return);
            QCOMPARE(dlg.isVisible(), !row.closes);
            if (row.closes) QCOMPARE(dlg.result(), row.result);
            QCOMPARE(prompts.fileRequests.size(), asked + (row.closes ? 0 : 1));
        }
    }

    void filesDroppedOnTheWindowAreRefused() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.Pane().SetWindowText("<map>");
        QWidget* pane = frame.Edit().viewport();
        // Only the pane takes drops at all ...
        for (QWidget* widget : frame.findChildren<QWidget*>())
            QVERIFY2(!widget->acceptDrops() || widget == pane || widget == &frame.Edit(),
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
            QApplication::sendEvent(pane, &enter);
            QCOMPARE(enter.isAccepted(), taken);
            QDropEvent drop(QPointF(3, 3), Qt::CopyAction, data, Qt::LeftButton, {});
            QApplication::sendEvent(pane, &drop);
            QCOMPARE(drop.isAccepted(), taken);
        }
        QVERIFY(frame.Pane().GetWindowText().find("file:") == std::string::npos);
        QVERIFY(frame.Pane().GetWindowText().find('x') != std::string::npos);
    }

    void paneTextSurvivesTheRoundTrip() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        // A lone CR or LF becomes a line break; the rest comes back as set.
        MarkupPane& pane = frame.Pane();
        pane.SetWindowText("\xC2\xA0<map>\rb\nc");
        const std::string set = "\xC2\xA0<map>\r\nb\r\nc";
        QCOMPARE(pane.GetWindowText(), set);
        // Typed text and Return too; an insertion leaves the caret after it.
        CMarkupEdit& edit = frame.Edit();
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

        // A double-click in the margin floats the bar, another docks it again.
        QTest::mouseDClick(&bar.Client(), Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_VERIFY(bar.isFloating());
        QTest::mouseDClick(&bar.Client(), Qt::LeftButton, {}, QPoint(2, 2));
        QTRY_VERIFY(!bar.isFloating());
        QCOMPARE(bar.DockSide(), Qt::BottomDockWidgetArea);

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

        // Floating: the window system's caption and frame, near the main window.
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
