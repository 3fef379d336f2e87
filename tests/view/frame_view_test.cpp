// The map view inside the editor window: check marks on the frame's actions,
// the readout in its status bar, and the link dialog run through the prompt
// seam with the area going into the frame's pane.

#define QTEST_QPA_MOUSE_HANDLING
#include <QAction>
#include <QDir>
#include <QtTest>
#include <memory>
#include <string>

#include "image/image.h"
#include "markup/map_doc.h"
#include "markup/memory_store.h"
#include "shell/commands.h"
#include "shell/dialogs.h"
#include "shell/main_frame.h"
#include "shell/scripted_prompts.h"

namespace {

const std::string kSkeleton = "<img src=\"p.bmp\">\r\n<map name=\"map_p\">\r\n</map>";

struct Harness {
    MemoryProfileStore store;
    ScopedProfileStore scopedStore{&store};
    ScriptedPrompts prompts;
    CMainFrame frame;
    CMapDoc doc;

    Harness() {
        auto image = std::make_unique<CImage>();
        image->Create(100, 50, 24, -1);
        image->SetPixelRGB(10, 49 - 5, 1, 2, 3);
        doc.m_pImage = std::move(image);
        frame.View().SetDocument(&doc);
        doc.SetPane(&frame.Pane());
        frame.Pane().SetWindowText(kSkeleton);
        frame.resize(640, 480);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
    }
    QWidget* vp() { return frame.View().viewport(); }
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(vp(), Qt::LeftButton, {}, from);
        QTest::mouseMove(vp(), to);
        QTest::mouseRelease(vp(), Qt::LeftButton, {}, to);
    }
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
        h.frame.Action(cmd::kToolPolygon)->trigger();
        h.frame.Action(cmd::kZoomDouble)->trigger();
        QCOMPARE(checked(), (QList<int>{cmd::kToolPolygon, cmd::kZoomDouble}));
        // Enabled without a picture too.
        h.doc.m_pImage.reset();
        h.frame.View().OnInitialUpdate();
        QVERIFY(h.frame.Action(cmd::kZoomNormal)->isEnabled());
        h.frame.Action(cmd::kZoomNormal)->trigger();
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
        QCOMPARE(h.frame.Pane().GetWindowText(),
                 std::string("<img src=\"p.bmp\">\r\n<map name=\"map_p\">\r\n"
                             "<area shape=\"rect\" coords=\"50,40,10,5\" alt=\"駅\" "
                             "href=\"地図.html\">\r\n</map>"));

        // Cancelled through the seam: the pane keeps its text.
        h.prompts.onDialog = nullptr;
        const std::string before = h.frame.Pane().GetWindowText();
        h.Drag(QPoint(5, 5), QPoint(20, 20));
        QCOMPARE(h.prompts.dialogsRun, 2);
        QCOMPARE(h.frame.Pane().GetWindowText(), before);
    }
};

QTEST_MAIN(FrameViewTest)
#include "frame_view_test.moc"
