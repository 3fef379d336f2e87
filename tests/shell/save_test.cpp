// Saving the picture: File > Save As writes a copy in the format of the
// name's extension; Ctrl+S writes back over the document's file when that
// loses nothing, and otherwise asks for a name first.

#include <QAction>
#include <QImage>
#include <QtTest>
#include <cstring>
#include <filesystem>

#include "common/test_util.h"
#include "common/tiny_bmp.h"
#include "image/image.h"
#include "scripted_prompts.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/store/qt_profile_store.h"

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Head(const QString& path, size_t n) {
    return testutil::ReadFile(path.toStdString()).substr(0, n);
}

// Ctrl+S, as the frame's key action delivers it.
void PressSave(CMainFrame& frame) {
    for (QAction* action : frame.actions()) {
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_S)) {
            action->trigger();
            return;
        }
    }
    QFAIL("no Ctrl+S action");
}
}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testutil::TempDir> m_dir;
    std::unique_ptr<QtProfileStore> m_store;

    QString Path(const std::string& name) { return Q(m_dir->File(name)); }

    // A small palette picture, written as `name` in the format of its
    // extension. False when this build cannot write that format.
    bool Picture(const std::string& name) {
        CImage image;
        image.Create(6, 4, 8, -1);
        const uint8_t rgb[] = {250, 0, 0, 0, 90, 0, 10, 20, 200};
        image.SetPalette(3, rgb);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) image.SetPixelIndex(x, y, uint8_t((x + y) % 3));
        return image.Save(m_dir->File(name), -1) != 0;
    }

private slots:
    void init() {
        m_dir = std::make_unique<testutil::TempDir>();
        m_store = std::make_unique<QtProfileStore>(m_dir->File("settings.ini"));
    }
    void cleanup() {
        m_store.reset();
        m_dir.reset();
    }

    void saveAsWritesByTheExtensionAndKeepsTheDocument() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();
        QAction* saveAs = frame.Action(cmd::kFileSaveAs);
        QVERIFY(!saveAs->isEnabled());  // no picture yet
        QVERIFY(Picture("a.bmp"));
        QVERIFY(app.OpenDocumentFile(Path("a.bmp")));
        QVERIFY(saveAs->isEnabled());

        // The filter chosen does not matter: the final name's extension does.
        prompts.AnswerFile(Path("out.PNG"), 0);
        prompts.AnswerFile(Path("out.jpeg"), 1);
        prompts.AnswerFile(Path("out.bmp"), 1);
        saveAs->trigger();
        saveAs->trigger();
        saveAs->trigger();
        QCOMPARE(Head(Path("out.PNG"), 4), std::string("\x89PNG"));
        QCOMPARE(Head(Path("out.jpeg"), 2), std::string("\xFF\xD8"));
        QCOMPARE(Head(Path("out.bmp"), 2), std::string("BM"));
        QVERIFY(prompts.messages.isEmpty());

        // A copy: the document still names the opened file.
        QCOMPARE(app.Document().GetPathName(), m_dir->File("a.bmp"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("a.bmp - Zer Evizi SEKKA"));
        QCOMPARE(app.RecentFiles().Paths(), QStringList{Path("a.bmp")});

        prompts.AnswerFile(Path("out.gif"), 0);
        saveAs->trigger();
        QCOMPARE(Head(Path("out.gif"), 6), std::string("GIF87a"));
        QVERIFY(prompts.messages.isEmpty());

        // Cancel: silence. (Failures are the failed-save test's.)
        saveAs->trigger();
        QVERIFY(prompts.messages.isEmpty());
    }

    void ctrlSWritesALosslessFileBackInPlace() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();

        PressSave(frame);  // no picture: nothing at all
        QVERIFY(prompts.fileRequests.empty() && prompts.messages.isEmpty());

        for (const std::string name : {"a.png", "a.bmp"}) {
            QVERIFY(Picture(name));
            QVERIFY(app.OpenDocumentFile(Path(name)));
            testutil::WriteFile(m_dir->File(name), "stale");
            PressSave(frame);
            QVERIFY(prompts.fileRequests.empty());
            QVERIFY(prompts.messages.isEmpty());
            CImage back(m_dir->File(name), -1);
            QCOMPARE(back.GetWidth(), 6);
            QCOMPARE(app.Document().GetPathName(), m_dir->File(name));
            QCOMPARE(frame.windowTitle(), Q(name) + QStringLiteral(" - Zer Evizi SEKKA"));
        }
    }

    void ctrlSOnAJpegAsksAndThenTakesTheNewName() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();
        QVERIFY(Picture("a.jpg"));
        QVERIFY(app.OpenDocumentFile(Path("a.jpg")));
        const std::string before = testutil::ReadFile(m_dir->File("a.jpg"));

        // Cancelled: nothing written, nothing said.
        PressSave(frame);
        QCOMPARE(prompts.fileRequests.size(), size_t(1));
        const FileRequest& request = prompts.fileRequests[0];
        QCOMPARE(request.fileName, Path("a.jpg"));
        QCOMPARE(request.filterIndex, 0);  // JPEG
        QCOMPARE(testutil::ReadFile(m_dir->File("a.jpg")), before);
        QVERIFY(prompts.messages.isEmpty());

        // A new name: written as PNG, and the document takes it.
        prompts.AnswerFile(Path("b.png"), 0);
        PressSave(frame);
        QCOMPARE(Head(Path("b.png"), 4), std::string("\x89PNG"));
        QCOMPARE(testutil::ReadFile(m_dir->File("a.jpg")), before);
        QCOMPARE(app.Document().GetPathName(), m_dir->File("b.png"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("b.png - Zer Evizi SEKKA"));
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{Path("b.png"), Path("a.jpg")}));

        // b.png holds exactly the picture now: the next Ctrl+S writes it back.
        PressSave(frame);
        QCOMPARE(prompts.fileRequests.size(), size_t(2));
    }

    void ctrlSAsksWhenWritingBackWouldLoseOrCannotBe() {
        // A PNG flattened on load, a GIF, and a file that has gone: each is
        // asked for with the filter its type preselects, then written.
        QImage alpha(5, 3, QImage::Format_ARGB32);
        alpha.fill(qRgba(200, 10, 10, 90));
        QVERIFY(alpha.save(Path("a.png"), "PNG"));
        QVERIFY(Picture("a.gif") && Picture("a.bmp"));
        const struct {
            const char* name;
            int filter;
            const char* head;
        } cases[] = {{"a.png", 1, "\x89PNG"}, {"a.gif", 1, "GIF87a"}, {"a.bmp", 2, "BM"}};
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        for (const auto& c : cases) {
            QVERIFY(app.OpenDocumentFile(Path(c.name)));
            if (c.filter == 2)
                std::filesystem::remove(m_dir->File(c.name));
            else
                testutil::WriteFile(m_dir->File(c.name), "stale");
            prompts.fileRequests.clear();
            prompts.AnswerFile(Path(c.name), c.filter);
            PressSave(*app.Frame());
            QCOMPARE(prompts.fileRequests.size(), size_t(1));
            QCOMPARE(prompts.fileRequests[0].fileName, Path(c.name));
            QCOMPARE(prompts.fileRequests[0].filterIndex, c.filter);
            QCOMPARE(Head(Path(c.name), std::strlen(c.head)), std::string(c.head));
        }
    }

    void aFailedSaveSaysSoAndChangesNothing() {
        ScriptedPrompts prompts;
        CMapApp app(*m_store);
        QVERIFY(app.InitInstance({}));
        QVERIFY(Picture("a.jpg"));
        QVERIFY(app.OpenDocumentFile(Path("a.jpg")));
        const std::string before = testutil::ReadFile(m_dir->File("a.jpg"));

        // Failing for root too: a folder where the file would go, a path
        // through a device, and a name no writer takes.
        std::filesystem::create_directory(m_dir->File("taken.png"));
        testutil::WriteFile(m_dir->File("taken.png/keep"), "kept");
        const QStringList targets{Path("taken.png"), QStringLiteral("/dev/full/x.bmp"),
                                  Path("a.tif")};
        for (const QString& target : targets) {
            prompts.messages.clear();
            prompts.AnswerFile(target, 0);
            PressSave(*app.Frame());
            QCOMPARE(prompts.messages.size(), 1);
            QVERIFY2(prompts.messages[0].contains(target), qPrintable(prompts.messages[0]));
            QCOMPARE(app.Document().GetPathName(), m_dir->File("a.jpg"));
            QCOMPARE(app.Frame()->windowTitle(), QStringLiteral("a.jpg - Zer Evizi SEKKA"));
            QCOMPARE(app.RecentFiles().Paths(), QStringList{Path("a.jpg")});
        }
        QCOMPARE(testutil::ReadFile(m_dir->File("taken.png/keep")), std::string("kept"));
        QCOMPARE(testutil::ReadFile(m_dir->File("a.jpg")), before);
        QVERIFY(!std::filesystem::exists(m_dir->File("a.tif")));

        // Save As reports the same way, and what the image library says
        // about it (a true-colour picture cannot become a GIF) joins that
        // one message.
        prompts.messages.clear();
        prompts.AnswerFile(Path("taken.png"), 0);
        app.Frame()->Action(cmd::kFileSaveAs)->trigger();
        testutil::WriteFile(m_dir->File("true.bmp"), testutil::TinyBmp(6, 4));
        QVERIFY(app.OpenDocumentFile(Path("true.bmp")));
        prompts.AnswerFile(Path("true.gif"), 0);
        app.Frame()->Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(prompts.messages.size(), 2);
        QVERIFY(prompts.messages[0].contains(Path("taken.png")));
        QVERIFY(prompts.messages[1].contains(Path("true.gif")));
        QVERIFY(prompts.messages[1].contains(QStringLiteral("8 bit")));
        QVERIFY(!std::filesystem::exists(m_dir->File("true.gif")));
    }
};

QTEST_MAIN(SaveTest)
#include "save_test.moc"
