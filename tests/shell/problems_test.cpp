// The 問題 panel as a person uses it: the findings of the pane's text
// against the picture open, following typing; a click selects the area or
// the tag a finding is about. File > 書き出し writes the scaling forms.

#include <QTextCursor>

#include "app_folder.h"

class ProblemsTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

    static QStringList Rows(CProblemsPanel& panel) {
        QStringList rows;
        for (int i = 0; i < panel.List().topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = panel.List().topLevelItem(i);
            rows << row->text(0) + ' ' + row->text(1) + ' ' + row->text(3);
        }
        return rows;
    }

private slots:
    void init() { m_f.Make(); }
    void cleanup() { m_f.Drop(); }

    void findingsFollowTypingAndLeadToTheirArea() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({m_f.Picture("a.bmp")}));  // 240 x 160
        CMainFrame& frame = *app.Frame();
        frame.show();
        CProblemsPanel& panel = frame.Problems();
        QVERIFY(!panel.isVisible());
        panel.toggleViewAction()->trigger();
        QVERIFY(panel.isVisible());
        frame.Pane().SetWindowText(
            "<img src=\"a.bmp\" usemap=\"#m\">\r\n<map name=\"m\">\r\n"
            "<area shape=\"rect\" coords=\"0,0,100,100\" href=\"a.html\" alt=\"A\">\r\n"
            "<area shape=\"rect\" coords=\"10,10,20,20\" href=\"b.html\" alt=\"B\">\r\n"
            "<area shape=\"rect\" coords=\"200,100,300,120\" href=\"c.html\">\r\n</map>");
        QTRY_COMPARE(Rows(panel), (QStringList{
                                      QString::fromUtf8("1 エラー img-alt"),
                                      QString::fromUtf8("4 エラー unreachable"),
                                      QString::fromUtf8("5 エラー area-alt"),
                                      QString::fromUtf8("5 警告 outside-picture"),
                                  }));
        QCOMPARE(panel.windowTitle(), QString::fromUtf8("問題 (エラー 3、警告 1)"));

        // One click on a finding about an area selects it; on one about the
        // image, its tag in the pane.
        auto click = [&panel](int row) {
            QTreeWidgetItem* item = panel.List().topLevelItem(row);
            emit panel.List().itemClicked(item, 0);
        };
        click(1);
        QCOMPARE(frame.View().SelectedArea(), 1);
        click(0);
        QCOMPARE(frame.Edit().textCursor().selectedText(),
                 QStringLiteral("<img src=\"a.bmp\" usemap=\"#m\">"));

        // Typing a fix: the list follows once typing pauses.
        QTextCursor cursor = frame.Edit().textCursor();
        cursor.setPosition(28);
        cursor.insertText(QStringLiteral(" alt=\"map\""));
        QCOMPARE(Rows(panel).size(), 4);
        QTRY_COMPARE(Rows(panel).size(), 3);
    }

    void exportWritesEitherFormOrSaysWhyNot() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({m_f.Picture("a.bmp")}));
        CMainFrame& frame = *app.Frame();
        frame.Pane().SetWindowText(
            "<img src=\"a.bmp\" alt=\"A\" usemap=\"#m\">\n<map name=\"m\">\n"
            "<area shape=\"circle\" coords=\"50,50,20\" href=\"a.html\" alt=\"A\">\n</map>");
        const std::string svg = m_f.dir->File("a-svg.html");
        prompts.AnswerFile(Q(svg), 0);
        frame.Action(cmd::kExportSvg)->trigger();
        QCOMPARE(prompts.fileRequests.back().fileName, QStringLiteral("a-svg.html"));
        const std::string written = testutil::ReadFile(svg);
        QVERIFY(written.find("<svg viewBox=\"0 0 240 160\"") != std::string::npos);
        QVERIFY(
            written.find("<a href=\"a.html\" aria-label=\"A\"><title>A</title><circle cx=\"50\" "
                         "cy=\"50\" r=\"20\"") != std::string::npos);

        // Into a folder that is not there: nothing written, and why.
        prompts.AnswerFile(Q(m_f.dir->File("gone/a.html")), 0);
        frame.Action(cmd::kExportScalingMap)->trigger();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages.back().startsWith(Q(m_f.dir->File("gone/a.html"))));
        // The look in the browser: the second form at the second width,
        // the picture linked where it is.
        prompts.chooseAnswer = 1;
        frame.Action(cmd::kScaledPreview)->trigger();
        QCOMPARE(prompts.openedUrls.size(), 1);
        const std::string page =
            testutil::ReadFile(prompts.openedUrls[0].toLocalFile().toStdString());
        QVERIFY(page.find(".ze-frame{width:180px;") != std::string::npos);
        QVERIFY(page.find("<img src=\"" +
                          QUrl::fromLocalFile(Q(m_f.dir->File("a.bmp"))).toString().toStdString() +
                          "\" alt=\"A\" usemap=\"#m\" width=\"240\" height=\"160\">\r\n") !=
                std::string::npos);
        frame.Pane().SetWindowText("<map name=\"m\"></map>");
        frame.Action(cmd::kExportScalingMap)->trigger();
        QCOMPARE(prompts.messages.size(), 2);
        QCOMPARE(prompts.fileRequests.size(), 2);
    }
};

QTEST_MAIN(ProblemsTest)
#include "problems_test.moc"
