// Saving the picture: File > Save As writes a copy in the format of the
// name's extension; Ctrl+S writes back over the document's file when that
// loses nothing, and otherwise asks for a name first.

#include <QImage>
#include <cstring>

#include "app_folder.h"
#include "common/tiny_bmp.h"
#include "image/image.h"

namespace {

std::string Head(const QString& path, size_t n) {
    return testutil::ReadFile(path.toStdString()).substr(0, n);
}

// Ctrl+S, as the frame's key action delivers it.
void PressSave(CMainFrame& frame) {
    for (QAction* action : frame.actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_S)) return action->trigger();
    QFAIL("no Ctrl+S action");
}
}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

    QString Path(const std::string& name) { return Q(m_f.dir->File(name)); }

    // A small palette picture, written as `name` in the format of its
    // extension. False when this build cannot write that format.
    bool Picture(const std::string& name) {
        testutil::WriteFile(m_f.dir->File("8bit.bmp"), testutil::TinyBmp(6, 4, 8));
        return CImage(m_f.dir->File("8bit.bmp"), -1).Save(m_f.dir->File(name), -1) != 0;
    }

private slots:
    void init() { m_f.Make(); }
    void cleanup() { m_f.Drop(); }

    void saveAsWritesByTheExtensionAndKeepsTheDocument() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        QAction* saveAs = app.Frame()->Action(cmd::kFileSaveAs);
        QVERIFY(!saveAs->isEnabled());  // no picture yet
        QVERIFY(Picture("a.bmp"));
        QVERIFY(app.OpenDocumentFile(Path("a.bmp")));

        // The filter chosen does not matter: the final name's extension does.
        const struct {
            const char* name;
            int filter;
            const char* head;
        } cases[] = {{"out.PNG", 0, "\x89PNG"},
                     {"out.jpeg", 1, "\xFF\xD8"},
                     {"out.bmp", 1, "BM"},
                     {"out.gif", 0, "GIF87a"}};
        for (const auto& c : cases) {
            prompts.AnswerFile(Path(c.name), c.filter);
            saveAs->trigger();
            QCOMPARE(Head(Path(c.name), std::strlen(c.head)), std::string(c.head));
        }
        saveAs->trigger();  // cancelled: silence
        QVERIFY(prompts.messages.isEmpty());
        // Every dialog started in the picture's folder.
        for (const FileRequest& request : prompts.fileRequests)
            QCOMPARE(request.directory, Q(m_f.dir->path().string()));
        // A copy: the document still names the opened file.
        QCOMPARE(app.Document().GetPathName(), m_f.dir->File("a.bmp"));
    }

    void ctrlSWritesBackAsksFailsOrTakesTheNewName() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        PressSave(*app.Frame());  // no picture: nothing at all
        // A lossless file is written back without a word.
        QVERIFY(Picture("a.png"));
        QVERIFY(app.OpenDocumentFile(Path("a.png")));
        testutil::WriteFile(m_f.dir->File("a.png"), "stale");
        PressSave(*app.Frame());
        QVERIFY(prompts.fileRequests.empty() && prompts.messages.isEmpty());
        QCOMPARE(CImage(m_f.dir->File("a.png"), -1).GetWidth(), 6);

        // A PNG flattened on load, a GIF, a file that has gone and a JPEG:
        // each is asked for in its folder with the filter its type
        // preselects; cancelled, nothing is written or said.
        QImage alpha(5, 3, QImage::Format_ARGB32);
        alpha.fill(qRgba(200, 10, 10, 90));
        QVERIFY(alpha.save(Path("alpha.png"), "PNG"));
        QVERIFY(Picture("a.gif") && Picture("a.bmp") && Picture("a.jpg"));
        const std::string before = testutil::ReadFile(m_f.dir->File("a.jpg"));
        for (const auto& [name, filter] :
             {std::pair{"alpha.png", 1}, {"a.gif", 1}, {"a.bmp", 2}, {"a.jpg", 0}}) {
            QVERIFY(app.OpenDocumentFile(Path(name)));
            if (filter == 2) std::filesystem::remove(m_f.dir->File(name));
            prompts.fileRequests.clear();
            PressSave(*app.Frame());
            QCOMPARE(prompts.fileRequests.size(), size_t(1));
            QCOMPARE(prompts.fileRequests[0].filterIndex, filter);
            QCOMPARE(prompts.fileRequests[0].fileName, Path(name));
            QCOMPARE(prompts.fileRequests[0].directory, Q(m_f.dir->path().string()));
        }
        QVERIFY(prompts.messages.isEmpty());

        // Failing for root too: a path through a device, a file without write
        // permission, a name no writer takes. The reason follows the message
        // on a line of its own.
        testutil::WriteFile(m_f.dir->File("ro.png"), "old");
        std::filesystem::permissions(m_f.dir->File("ro.png"), std::filesystem::perms::owner_read);
        const std::pair<QString, const char*> failures[] = {
            {QStringLiteral("/dev/full/x.bmp"), "\nフォルダがありません。"},
            {Path("ro.png"), "\n書き込みが許可されていません。"},
            {Path("a.tif"), ""}};
        for (const auto& [target, reason] : failures) {
            prompts.messages.clear();
            prompts.AnswerFile(target, 0);
            PressSave(*app.Frame());
            QCOMPARE(prompts.messages.size(), 1);
            QVERIFY2(prompts.messages[0].contains(target), qPrintable(prompts.messages[0]));
            QVERIFY2(prompts.messages[0].endsWith(QString::fromUtf8(reason)),
                     qPrintable(prompts.messages[0]));
            QCOMPARE(app.Document().GetPathName(), m_f.dir->File("a.jpg"));
        }
        QCOMPARE(testutil::ReadFile(m_f.dir->File("ro.png")), std::string("old"));
        QCOMPARE(testutil::ReadFile(m_f.dir->File("a.jpg")), before);
        QVERIFY(!std::filesystem::exists(m_f.dir->File("a.tif")));

        // A new name: written as PNG, and the document takes it, so the next
        // Ctrl+S writes back without asking.
        prompts.AnswerFile(Path("b.png"), 0);
        PressSave(*app.Frame());
        QCOMPARE(Head(Path("b.png"), 4), std::string("\x89PNG"));
        QCOMPARE(testutil::ReadFile(m_f.dir->File("a.jpg")), before);
        QCOMPARE(app.RecentFiles().Paths().mid(0, 2), (QStringList{Path("b.png"), Path("a.jpg")}));
        PressSave(*app.Frame());
        QCOMPARE(prompts.fileRequests.size(), size_t(5));

        // What the image library says (a true-colour picture cannot become a
        // GIF) joins the one message.
        prompts.messages.clear();
        testutil::WriteFile(m_f.dir->File("true.bmp"), testutil::TinyBmp(6, 4));
        QVERIFY(app.OpenDocumentFile(Path("true.bmp")));
        prompts.AnswerFile(Path("true.gif"), 0);
        app.Frame()->Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages[0].contains(Path("true.gif")));
        QVERIFY(prompts.messages[0].contains(QStringLiteral("8 bit")));
    }
};

QTEST_MAIN(SaveTest)
#include "save_test.moc"
