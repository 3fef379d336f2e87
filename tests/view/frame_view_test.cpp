// The map view inside the editor window: check marks on the frame's actions,
// the readout in its status bar, and the link dialog run through the prompt
// seam with the area going into the frame's pane.

#define QTEST_QPA_MOUSE_HANDLING
#include <QAction>
#include <QDir>

#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/view_harness.h"

namespace {

std::unique_ptr<CImage> Picture() {
    auto image = BlackPicture(100, 50);
    image->SetPixelRGB(10, 49 - 5, 1, 2, 3);
    return image;
}

struct Harness : FrameHarness {
    Harness()
        : FrameHarness(Picture(), "<img src=\"p.bmp\">\r\n<map name=\"map_p\">\r\n</map>",
                       QSize(640, 480)) {}
};

}  // namespace

class FrameViewTest : public QObject {
    Q_OBJECT
private slots:
    void checkMarksFollowToolAndZoom() {
        Harness h;
        const auto checked = [&h] {
            QList<int> ids;
            for (int id : {cmd::kToolCircle, cmd::kToolRect, cmd::kToolPolygon, cmd::kZoomNormal,
                           cmd::kZoomDouble})
                if (h.frame.Action(id)->isChecked()) ids << id;
            return ids;
        };
        QCOMPARE(checked(), (QList<int>{cmd::kToolRect, cmd::kZoomNormal}));
        h.Command(cmd::kToolPolygon);
        h.Command(cmd::kZoomDouble);
        QCOMPARE(checked(), (QList<int>{cmd::kToolPolygon, cmd::kZoomDouble}));
        // Enabled without a picture too.
        h.doc.m_pImage.reset();
        h.frame.View().OnInitialUpdate();
        QVERIFY(h.frame.Action(cmd::kZoomNormal)->isEnabled());
        h.Command(cmd::kZoomNormal);
        QVERIFY(h.frame.Action(cmd::kZoomNormal)->isChecked());
    }

    void readoutGoesToTheStatusBar() {
        Harness h;
        QTest::mouseMove(h.vp(), QPoint(10, 5));
        QTRY_COMPARE(h.frame.StatusBar().currentMessage(),
                     QStringLiteral("X座標 = 10 Y座標 = 5   RGB(1, 2, 3)"));
        QTest::mouseMove(h.vp(), QPoint(300, 20));
        QTRY_COMPARE(h.frame.StatusBar().currentMessage(), QStringLiteral(" "));
    }

    void linkDialogThroughTheSeam() {
        Harness h;
        // 参照 starts in the picture's folder.
        h.doc.SetPathName((QDir::tempPath() + QStringLiteral("/p.bmp")).toStdString());
        h.prompts.onDialog = [&h](QDialog& dialog) {
            auto* link = qobject_cast<CLinkDlg*>(&dialog);
            if (!link) return int(QDialog::Rejected);
            link->OnBrowse();
            if (h.prompts.fileRequests.back().directory != QDir::tempPath()) return -1;
            link->UrlEdit().setText(QStringLiteral("地図.html"));
            link->AltEdit().setText(QStringLiteral("駅"));
            link->accept();
            return int(QDialog::Accepted);
        };
        h.Drag(QPoint(50, 40), QPoint(10, 5));
        QCOMPARE(h.prompts.dialogsRun, 1);
        QCOMPARE(h.Text(), std::string("<img src=\"p.bmp\">\r\n<map name=\"map_p\">\r\n"
                                       "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"駅\" "
                                       "href=\"地図.html\">\r\n</map>"));

        // Cancelled through the seam: the pane keeps its text.
        h.prompts.onDialog = nullptr;
        const std::string before = h.Text();
        h.Drag(QPoint(5, 5), QPoint(20, 20));
        QCOMPARE(h.prompts.dialogsRun, 2);
        QCOMPARE(h.Text(), before);
    }
};

QTEST_MAIN(FrameViewTest)
#include "frame_view_test.moc"
