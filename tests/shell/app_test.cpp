// The application: start-up, opening pictures from the command line, the
// open dialog and the recent-file list.

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QtTest>
#include <algorithm>
#include <filesystem>

#include "common/test_util.h"
#include "markup/settings.h"
#include "scripted_prompts.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/picture_types.h"
#include "shell/store/qt_profile_store.h"

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Skeleton(const std::string& file, const std::string& name) {
    return "<img src=\"" + file + "\" width=240 height=160 usemap=\"#map_" + name +
           "\">\r\n<map name=\"map_" + name + "\">\r\n</map>";
}
}  // namespace

class AppTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testutil::TempDir> m_dir;
    std::unique_ptr<QtProfileStore> m_store;
    std::string m_sample;

    // A copy of the sample picture under `name` in the test's folder.
    QString Picture(const std::string& name) {
        const std::string path = m_dir->File(name);
        std::filesystem::copy_file(m_sample, path,
                                   std::filesystem::copy_options::overwrite_existing);
        return Q(path);
    }

private slots:
    void init() {
        m_dir = std::make_unique<testutil::TempDir>();
        m_store = std::make_unique<QtProfileStore>(m_dir->File("settings.ini"));
        m_sample = testutil::SourcePath("resources/sample.bmp");
    }
    void cleanup() {
        m_store.reset();
        m_dir.reset();
    }

    void startsEmptyDockedAtTheBottom() {
        m_store->WriteProfileInt("General", "tag", 5);
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.windowTitle(), QString::fromUtf8("無題 - Zer Evizi SEKKA"));
        QCOMPARE(frame.Bar().DockSide(), Qt::BottomDockWidgetArea);
        QVERIFY(frame.Bar().geometry().top() >= frame.View().geometry().bottom());
        QVERIFY(frame.Action(cmd::kTagUpper)->isChecked());
        QCOMPARE(app.Frame()->Pane().GetWindowText(), std::string());
        QVERIFY(app.Document().m_pImage == nullptr);
        // No recent files: the greyed placeholder stands in the File menu.
        QVERIFY(frame.RecentActions().isEmpty());
        const QList<QAction*> file = frame.FileMenu()->actions();
        QVERIFY(std::any_of(file.begin(), file.end(), [](QAction* action) {
            return action->text() == QString::fromUtf8("最新のﾌｧｲﾙ") && action->isVisible() &&
                   !action->isEnabled();
        }));
    }

    void libraryMessagesGoThroughThePromptSeam() {
        ScriptedPrompts prompts;
        {
            CMapApp app(*m_store);
            QVERIFY(app.InitInstance({}));
            ze::ReportMessage("bad picture");
        }
        ze::ReportMessage("after the application");  // the handler is gone
        QCOMPARE(prompts.messages, QStringList{QStringLiteral("bad picture")});
    }

    void opensThePictureOnTheCommandLine() {
        const QString a = Picture("a.bmp");
        {
            CMapApp app(*m_store);
            QVERIFY(app.InitInstance({a}));
            QCOMPARE(app.Frame()->Pane().GetWindowText(), Skeleton("a.bmp", "a.bmp"));
            QCOMPARE(app.Frame()->windowTitle(), QStringLiteral("a.bmp - Zer Evizi SEKKA"));
            QCOMPARE(app.RecentFiles().Paths(), QStringList{a});
            app.ExitInstance();
        }
        // The list comes back at the next start.
        CMapApp again(*m_store);
        QVERIFY(again.InitInstance({}));
        QCOMPARE(again.RecentFiles().Paths(), QStringList{a});
    }

    void aCommandLinePictureThatDoesNotOpenEndsTheProgram() {
        const QString broken = Q(m_dir->File("broken.bmp"));
        testutil::WriteFile(broken.toStdString(), "BM not really a bitmap");
        for (const QString& path : {Q(m_dir->File("missing.bmp")), Picture("photo.tif"), broken}) {
            ScriptedPrompts prompts;  // the library's message boxes go here
            CMapApp app(*m_store);
            QString error;
            QVERIFY(!app.InitInstance({path}, &error));
            QVERIFY(app.Frame() == nullptr);
            QVERIFY2(error.contains(path), qPrintable(error));
            QVERIFY(!error.contains(QLatin1Char('\n')));
        }
    }

    void theEditorExitsWithOneLineOnStderr() {
        const std::string binary = std::string(ZE_BINARY_DIR) + "/shell/zer-evizi";
        if (!std::filesystem::exists(binary)) QSKIP("the editor is not built");
        const std::string missing = m_dir->File("missing.gif");
        testutil::ProcessResult result = testutil::RunProcess({binary, missing});
        QCOMPARE(result.exitCode, 1);
        // Qt may add warnings of its own; ours is one line naming the file.
        const QStringList ours = Q(result.err)
                                     .split(QLatin1Char('\n'))
                                     .filter(QRegularExpression(QStringLiteral("^zer-evizi: ")));
        QCOMPARE(int(ours.size()), 1);
        QVERIFY(ours[0].contains(Q(missing)));
        QVERIFY(ours[0].contains(QStringLiteral("no such file")));
    }

    void opensThroughThePromptAndRemembersTheFilter() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        const QString a = Picture("a.bmp");

        // The first dialog starts on the first filter.
        prompts.AnswerFile(a, 3);
        app.Frame()->Action(cmd::kFileOpen)->trigger();
        QCOMPARE(prompts.fileRequests.at(0).filterIndex, 0);
        QCOMPARE(app.Frame()->Pane().GetWindowText(), Skeleton("a.bmp", "a.bmp"));
        QCOMPARE(app.FilterIndex(), 4);

        // The next dialog starts on the filter chosen last; a cancel keeps it.
        app.OnFileOpen();
        QCOMPARE(prompts.fileRequests[1].filterIndex, 3);
        QCOMPARE(prompts.fileRequests[1].defaultSuffix, QStringLiteral("bmp"));
        QCOMPARE(app.FilterIndex(), 4);
        app.OnFileOpen();
        QCOMPARE(prompts.fileRequests[2].filterIndex, 3);
    }

    void refusedAndBrokenPicturesKeepTheMarkup() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({Picture("a.bmp")}));
        MarkupPane& pane = app.Frame()->Pane();
        const std::string skeleton = Skeleton("a.bmp", "a.bmp");

        // (What the document refuses is the markup tests' job.) A picture
        // that does not load: the picture is gone, the markup and
        // the title stay.
        const QString broken = Q(m_dir->File("broken.bmp"));
        testutil::WriteFile(broken.toStdString(), std::string(64, 'x'));
        prompts.AnswerFile(broken, 3);
        app.OnFileOpen();
        QCOMPARE(pane.GetWindowText(), skeleton);
        QVERIFY(app.Document().m_pImage == nullptr);
        QCOMPARE(app.Frame()->windowTitle(), QStringLiteral("a.bmp - Zer Evizi SEKKA"));
        QCOMPARE(int(app.RecentFiles().Paths().size()), 1);
    }

    void theOpenPictureIsNotOpenedAgain() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        const QString a = Picture("a.bmp");
        QVERIFY(app.InitInstance({a}));
        MarkupPane& pane = app.Frame()->Pane();
        pane.SetWindowText("hand edit");
        // The same file by another spelling of its path, and through a link.
        const QString dotted = Q(m_dir->path().string() + "/./a.bmp");
        const QString link = Q(m_dir->File("link.bmp"));
        std::filesystem::create_symlink(a.toStdString(), link.toStdString());
        for (const QString& path : {a, dotted, link}) {
            prompts.AnswerFile(path, 3);
            app.OnFileOpen();
            QCOMPARE(pane.GetWindowText(), std::string("hand edit"));
        }
        // Another picture does replace it.
        QVERIFY(app.OpenDocumentFile(Picture("b.bmp")));
        QCOMPARE(pane.GetWindowText(), Skeleton("b.bmp", "b.bmp"));
    }

    void theRecentListOpensAndDropsFailedEntries() {
        const QString a = Picture("a.bmp");
        const QString b = Picture("b.bmp");
        const QString c = Picture("c.bmp");
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        for (const QString& path : {a, b, c}) QVERIFY(app.OpenDocumentFile(path));
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{c, b, a}));

        // Opening an entry moves it to the head.
        app.Frame()->RecentActions()[2]->trigger();
        QCOMPARE(app.Frame()->Pane().GetWindowText(), Skeleton("a.bmp", "a.bmp"));
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{a, c, b}));

        // An entry whose file has gone is removed when it fails to open.
        QVERIFY(QFile::remove(c));
        app.Frame()->RecentActions()[1]->trigger();
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{a, b}));
        QCOMPARE(int(app.Frame()->RecentActions().size()), 2);
        QCOMPARE(app.Frame()->Pane().GetWindowText(), Skeleton("a.bmp", "a.bmp"));
    }

    void recentNamesAreShortened() {
        const QChar sep('/');
        QCOMPARE(AbbreviatePath(QStringLiteral("/home/user/pictures/2024/web/logo.gif"), 30, sep),
                 QStringLiteral("/.../2024/web/logo.gif"));
        QCOMPARE(
            AbbreviatePath(QStringLiteral("/a/a-very-long-file-name-for-the-menu.png"), 30, sep),
            QStringLiteral("a-very-long-file-name-for-the-menu.png"));
        QCOMPARE(AbbreviatePath(QStringLiteral("C:\\Documents\\Pictures\\holiday\\beach.jpg"), 30,
                                QChar('\\')),
                 QStringLiteral("C:\\...\\holiday\\beach.jpg"));
        QCOMPARE(RecentMenuText(1, QStringLiteral("/tmp/R&D.gif")),
                 QStringLiteral("&2 /tmp/R&&D.gif"));
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
