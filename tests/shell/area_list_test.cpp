// The area list beside the pane: selection shared with the picture both
// ways, cells and rows that edit the pane text as single undo steps, and the
// link dialog's section of further attributes.

#define QTEST_QPA_MOUSE_HANDLING
#include <QMimeData>

#include "doc/settings.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/view_harness.h"

namespace {

const std::string kText =
    "<img src=\"p.bmp\">\r\n<map name=\"m\">\r\n"
    "<area shape=\"rect\" coords=\"10,10,60,60\" alt=\"A\" href=\"a.html\">\r\n"
    "<area shape=\"rect\" coords=\"40,40,90,90\" href=\"b.html\">\r\n"
    "<area shape=\"circle\" coords=\"150,100,20\" alt=\"C\">\r\n</map>";

struct Harness : FrameHarness {
    Harness() : FrameHarness(BlackPicture(200, 150), kText, QSize(800, 600)) { List().Refresh(); }
    CAreaListDock& List() { return frame.AreaList(); }
    QString Cell(int row, int column) {
        return List().Model().index(row, column).data().toString();
    }
    int SelectedRow() {
        const QModelIndexList rows = List().Table().selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
};

}  // namespace

class AreaListTest : public QObject {
    Q_OBJECT
private slots:
    // The problem column says what the 問題 panel says about each area.
    void problemsAreTheCheckersFindings() {
        Harness h;
        h.frame.Pane().SetWindowText(
            "<img src=\"p.bmp\" usemap=\"#m\" alt=\"\">\r\n<map name=\"m\">\r\n"
            "<area shape=\"rect\" coords=\"0,0,100,150\" href=\"a.html\" alt=\"A\">\r\n"
            "<area shape=\"rect\" coords=\"10,10,60,60\" href=\"b.html\">\r\n"
            "<area shape=\"circle\" coords=\"150,100,20\" alt=\"C\">\r\n</map>");
        h.List().Refresh();
        QCOMPARE(h.Cell(0, CAreaListModel::kProblems), QString());
        QCOMPARE(h.Cell(1, CAreaListModel::kProblems),
                 QString::fromUtf8("代替テキストなし、前の領域に覆われて選べない領域です"));
        QCOMPARE(h.Cell(2, CAreaListModel::kProblems),
                 QString::fromUtf8("href も nohref もありません"));
    }
    void rowsAndSelectionBothWays() {
        Harness h;
        CAreaListModel& m = h.List().Model();
        QCOMPARE(m.rowCount(), 3);
        QCOMPARE(h.Cell(1, CAreaListModel::kProblems), QString::fromUtf8("代替テキストなし"));
        QCOMPARE(h.Cell(1, CAreaListModel::kFront), QString::fromUtf8("1 が優先"));
        QCOMPARE(h.Cell(2, CAreaListModel::kFront), QString());
        // A row selects the area and marks its tag in the pane.
        h.List().Table().selectRow(1);
        QCOMPARE(h.frame.View().SelectedAreas(), QList<int>{1});
        QCOMPARE(h.frame.Pane().GetCaret(), size_t(99));
        // A click on the picture selects the row.
        h.Command(cmd::kToolSelect);
        QTest::mouseClick(h.vp(), Qt::LeftButton, {}, QPoint(150, 100));
        QCOMPARE(h.frame.View().SelectedAreas(), QList<int>{2});
        QCOMPARE(h.SelectedRow(), 2);
    }

    void cellsAndMovesAreSingleUndoSteps() {
        Harness h;
        CAreaListModel& m = h.List().Model();
        QVERIFY(m.setData(m.index(2, CAreaListModel::kTitle), QStringLiteral("The \"C\"")));
        QVERIFY(m.setData(m.index(1, CAreaListModel::kAlt), QStringLiteral("B")));
        const std::string edited =
            "<img src=\"p.bmp\">\r\n<map name=\"m\">\r\n"
            "<area shape=\"rect\" coords=\"10,10,60,60\" alt=\"A\" href=\"a.html\">\r\n"
            "<area shape=\"rect\" coords=\"40,40,90,90\" href=\"b.html\" alt=\"B\">\r\n"
            "<area shape=\"circle\" coords=\"150,100,20\" alt=\"C\" "
            "title=\"The &quot;C&quot;\">\r\n</map>";
        QCOMPARE(h.Text(), edited);
        h.frame.Edit().undo();
        h.List().Refresh();
        QCOMPARE(h.Cell(1, CAreaListModel::kAlt), QString());
        QCOMPARE(h.Cell(2, CAreaListModel::kTitle), QStringLiteral("The \"C\""));
        h.frame.Edit().redo();

        // Ctrl+Up moves the selected tag one place earlier, the selection along.
        h.List().Table().selectRow(2);
        h.List().Table().setFocus();
        QTest::keyClick(&h.List().Table(), Qt::Key_Up, Qt::ControlModifier);
        const std::string moved =
            "<img src=\"p.bmp\">\r\n<map name=\"m\">\r\n"
            "<area shape=\"rect\" coords=\"10,10,60,60\" alt=\"A\" href=\"a.html\">\r\n"
            "<area shape=\"circle\" coords=\"150,100,20\" alt=\"C\" "
            "title=\"The &quot;C&quot;\">\r\n"
            "<area shape=\"rect\" coords=\"40,40,90,90\" href=\"b.html\" alt=\"B\">\r\n</map>";
        QCOMPARE(h.Text(), moved);
        QCOMPARE(h.frame.View().SelectedAreas(), QList<int>{1});
        QCOMPARE(h.SelectedRow(), 1);
        QTest::keyClick(&h.List().Table(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(h.Text(), edited);
        QCOMPARE(h.SelectedRow(), 2);
        // A row dropped below the last one goes to the end; one undo step back.
        std::unique_ptr<QMimeData> drag(m.mimeData({m.index(0, 0)}));
        QVERIFY(m.dropMimeData(drag.get(), Qt::MoveAction, 3, 0, {}));
        QCOMPARE(h.Cell(2, CAreaListModel::kHref), QStringLiteral("a.html"));
        QCOMPARE(h.Cell(1, CAreaListModel::kFront), QString());
        h.frame.Edit().undo();
        QCOMPARE(h.Text(), edited);
    }

    void linkDialogSectionRemembered() {
        MemoryProfileStore store;
        ScopedProfileStore scoped{&store};
        AreaLink link;
        link.href = "a.html";
        link.target = "_top";
        link.rel = "next";
        {
            CLinkDlg dialog;
            QVERIFY(!dialog.MoreButton().isChecked());
            dialog.SetLink(link);
            dialog.MoreButton().click();
            dialog.MoreEdit(0).setText(QStringLiteral("T"));
            dialog.accept();
            const AreaLink got = dialog.Link();
            QCOMPARE(got.href + "|" + got.title + "|" + got.target + "|" + got.rel,
                     std::string("a.html|T|_top|next"));
        }
        QCOMPARE(GetMoreAttributesSetting(), true);
        CLinkDlg again;
        QVERIFY(again.MoreButton().isChecked());
    }
};

QTEST_MAIN(AreaListTest)
#include "area_list_test.moc"
