// Saving: File > Save As writes a copy of the picture in the format of the
// name's extension; Ctrl+S saves the markup and never writes the picture.

#include <QImage>
#include <cstring>

#include "app_folder.h"
#include "image/image.h"
#include "support/tiny_bmp.h"

namespace {

std::string Head(const QString& path, size_t n) {
    return testutil::ReadFile(path.toStdString()).substr(0, n);
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

    void ctrlSSavesTheMarkupAndNeverThePicture() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        // A PNG with a chunk the writer would not keep, and a JPEG it would
        // compress again: the first Ctrl+S asks for the markup's name beside
        // the picture, the next writes there; the picture stays byte for byte.
        QImage png(5, 3, QImage::Format_RGB32);
        png.fill(qRgb(200, 10, 10));
        png.setText(QStringLiteral("Comment"), QStringLiteral("kept"));
        QVERIFY(png.save(Path("a.png"), "PNG") && Picture("b.jpg"));
        for (const auto& [picture, page] : {std::pair{"a.png", "a.html"}, {"b.jpg", "b.html"}}) {
            const std::string before = testutil::ReadFile(m_f.dir->File(picture));
            QVERIFY(app.OpenDocumentFile(Path(picture)));
            prompts.fileRequests.clear();
            prompts.AnswerFile(Path(page), 0);
            for (const char* text : {"<map>1", "<map>2"}) {
                frame.Pane().SetWindowText(text);
                QTest::keySequence(&frame, QKeySequence(Qt::CTRL | Qt::Key_S));
                QCOMPARE(Q(testutil::ReadFile(m_f.dir->File(page))), Q(text));
            }
            QCOMPARE(prompts.fileRequests.size(), size_t(1));
            QCOMPARE(prompts.fileRequests[0].directory, Q(m_f.dir->path().string()));
            QCOMPARE(prompts.fileRequests[0].fileName, Path(page));
            QVERIFY(testutil::ReadFile(m_f.dir->File(picture)) == before);
        }
        QVERIFY(prompts.messages.isEmpty());

        // Writing the picture fails, for root too: a path through a device,
        // a file without write permission, a name no writer takes. The
        // reason follows the message on a line of its own.
        testutil::WriteFile(m_f.dir->File("ro.png"), "old");
        std::filesystem::permissions(m_f.dir->File("ro.png"), std::filesystem::perms::owner_read);
        const std::pair<QString, const char*> failures[] = {
            {QStringLiteral("/dev/full/x.bmp"), "\nフォルダがありません。"},
            {Path("ro.png"), "\n書き込みが許可されていません。"},
            {Path("a.tif"), ""}};
        for (const auto& [target, reason] : failures) {
            prompts.messages.clear();
            prompts.AnswerFile(target, 0);
            frame.Action(cmd::kFileSaveAs)->trigger();
            QCOMPARE(prompts.messages.size(), 1);
            QVERIFY2(prompts.messages[0].contains(target), qPrintable(prompts.messages[0]));
            QVERIFY2(prompts.messages[0].endsWith(QString::fromUtf8(reason)),
                     qPrintable(prompts.messages[0]));
        }
        QCOMPARE(testutil::ReadFile(m_f.dir->File("ro.png")), std::string("old"));
        QVERIFY(!std::filesystem::exists(m_f.dir->File("a.tif")));

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
