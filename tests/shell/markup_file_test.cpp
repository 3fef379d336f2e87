// The markup as a document: the question before changed markup is thrown
// away, pages opened and saved back, the copy kept for after a crash and
// the page for the browser.

#include "shell/markup_file.h"

#include <QDir>
#include <QMessageBox>

#include "app_folder.h"
#include "markup/area_markup.h"

namespace {
const std::string kArea = "<area shape=\"rect\" coords=\"1,1,9,9\" href=\"x.html\">";
}  // namespace

class MarkupFileTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

    QString Recovery() const { return Q(m_f.dir->File("state/zer-evizi")); }
    QStringList Copies() const { return QDir(Recovery()).entryList({QStringLiteral("*.txt")}); }

private slots:
    void init() {
        m_f.Make();
        qputenv("XDG_STATE_HOME", m_f.dir->File("state").c_str());
    }
    void cleanup() { m_f.Drop(); }

    void changedMarkupAsksBeforeItIsThrownAway() {
        const QString a = m_f.Picture("a.bmp"), b = m_f.Picture("b.bmp");
        const QString saved = Q(m_f.dir->File("saved.html"));
        const struct {
            const char* what;
            bool edit;
            int answer;
            bool goesOn;  // b opens, the window closes
        } cases[] = {
            {"unchanged: no question", false, QMessageBox::Cancel, true},
            {"cancel keeps everything", true, QMessageBox::Cancel, false},
            {"discard", true, QMessageBox::Discard, true},
            {"save, then go on", true, QMessageBox::Save, true},
        };
        for (const auto& c : cases) {
            ScriptedPrompts prompts;
            CMapApp app(*m_f.store);
            QVERIFY(app.InitInstance({a}));
            CMainFrame& frame = *app.Frame();
            if (c.edit)
                frame.Pane().SetWindowText(InsertAreaLine(frame.Pane().GetWindowText(), kArea));
            const std::string text = frame.Pane().GetWindowText();
            QCOMPARE(frame.windowTitle().startsWith(QLatin1Char('*')), c.edit);

            for (int step = 0; step < 2; ++step) {  // open b from the recent list, then close
                prompts.askAnswers = {c.answer};
                if (step == 0) {
                    prompts.AnswerFile(b, 0);
                    prompts.AnswerFile(saved, 0);  // the name, should saving ask for one
                    app.OnFileOpen();
                    QVERIFY(app.WaitForOpen(5000));
                } else {
                    prompts.fileAnswers = {{true, saved, 0}};
                    frame.show();
                    QVERIFY2(frame.close() == c.goesOn, c.what);
                }
                QCOMPARE(prompts.questions.size(), c.edit ? step + 1 : 0);
                if (!c.goesOn) {
                    QCOMPARE(frame.Pane().GetWindowText(), text);
                    QCOMPARE(Q(app.Document().GetPathName()), a);
                    QVERIFY(frame.windowTitle().startsWith(QLatin1Char('*')));
                }
                if (c.goesOn && step == 0) {
                    QCOMPARE(Q(app.Document().GetPathName()), b);
                    QCOMPARE(frame.windowTitle(), QStringLiteral("b.bmp - Zer Evizi SEKKA"));
                    frame.Pane().SetWindowText(text);  // changed again for the close
                    if (!c.edit) app.Markup()->MarkupReplaced();
                }
            }
            if (c.answer == QMessageBox::Save) {
                QCOMPARE(Q(testutil::ReadFile(saved.toStdString())), Q(text));
                QCOMPARE(app.Markup()->Path(), saved);
            }
        }
    }

    void pageOpensWithItsPictureAndSavesBackOnlyTheChange() {
        ScriptedPrompts prompts;
        const QString picture = m_f.Picture("img/地図 1.bmp");
        const std::string page =
            "<html><body>\n<p>前</p>\n<img src=\"img/%E5%9C%B0%E5%9B%B3%201.bmp?v=2\" "
            "usemap=\"#m\">\n<map name=\"m\">\n</map>\n<p>後</p>\n</body></html>\n";
        const QString path = Q(m_f.dir->File("index.html"));
        testutil::WriteFile(path.toStdString(), page);
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        CMainFrame& frame = *app.Frame();
        prompts.AnswerFile(path, 0);
        frame.Action(cmd::kMapOpen)->trigger();
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(Q(app.Document().GetPathName()), picture);
        const std::string pane = frame.Pane().GetWindowText();
        QCOMPARE(Q(pane), Q("<img src=\"img/%E5%9C%B0%E5%9B%B3%201.bmp?v=2\" usemap=\"#m\">\r\n"
                            "<map name=\"m\">\r\n</map>"));
        QVERIFY(!app.Markup()->IsModified());

        frame.Pane().SetWindowText(InsertAreaLine(pane, kArea));
        QVERIFY(frame.windowTitle().startsWith(QLatin1Char('*')));
        frame.Action(cmd::kMapSave)->trigger();
        std::string expected = page;
        expected.insert(expected.find("</map>"), kArea + "\n");
        QCOMPARE(Q(testutil::ReadFile(path.toStdString())), Q(expected));
        QVERIFY(!frame.windowTitle().startsWith(QLatin1Char('*')));

        // Pages that do not open change nothing and say why.
        const struct {
            std::string page;
            const char* says;
        } failures[] = {
            {"<p>no map</p>", "イメージマップ"},
            {"<img src=\"gone.bmp\" usemap=#m><map name=m></map>", "no such file"},
            {"<img src=\"index.html\" usemap=#m><map name=m></map>", "not a picture type"},
            {"<img src=\"http://example.com/a.bmp\" usemap=#m><map name=m></map>", "ファイルでは"},
            {"<img usemap=#m><map name=m>\n" + std::string(65537, ' ') + "\n</map>", "64 KB"},
        };
        const std::string current = frame.Pane().GetWindowText();
        for (const auto& f : failures) {
            prompts.messages.clear();
            const QString other = Q(m_f.dir->File("other.html"));
            testutil::WriteFile(other.toStdString(), f.page);
            QVERIFY(!app.Markup()->OpenPage(other));
            QCOMPARE(prompts.messages.size(), 1);
            QVERIFY2(prompts.messages[0].contains(QString::fromUtf8(f.says)),
                     qPrintable(prompts.messages[0]));
            QCOMPARE(frame.Pane().GetWindowText(), current);
            QCOMPARE(Q(app.Document().GetPathName()), picture);
            QCOMPARE(app.Markup()->Path(), path);
        }

        // A save that fails says so and leaves the markup changed.
        frame.Pane().SetWindowText(current);
        prompts.messages.clear();
        QVERIFY(!app.Markup()->SaveTo(Q(m_f.dir->File("no/folder/x.html"))));
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(app.Markup()->IsModified());
        QCOMPARE(app.Markup()->Path(), path);

        // Several images with maps: the user chooses.
        const QString several = Q(m_f.dir->File("several.html"));
        testutil::WriteFile(several.toStdString(),
                            "<img src='img/地図 1.bmp' usemap=#a><map name=a></map>\n"
                            "<img src='img/地図 1.bmp' usemap=#b><map name=b></map>");
        prompts.chooseAnswer = 1;
        QVERIFY(app.Markup()->OpenPage(several));
        QCOMPARE(prompts.choices.size(), size_t(1));
        QCOMPARE(prompts.choices[0].size(), 2);
        QVERIFY(frame.Pane().GetWindowText().find("name=b") != std::string::npos);
    }

    void aCopyIsKeptWhileChangedAndOfferedAfterACrash() {
        const QString a = m_f.Picture("a.bmp");
        {
            ScriptedPrompts prompts;
            CMapApp app(*m_f.store);
            QVERIFY(app.InitInstance({a}));
            CMainFrame& frame = *app.Frame();
            app.Markup()->WriteRecoveryCopy();
            QVERIFY(Copies().isEmpty());
            frame.Pane().SetWindowText("<img src=a.bmp usemap=#m>\r\n<map name=m>\r\n</map>");
            app.Markup()->WriteRecoveryCopy();
            QCOMPARE(Copies().size(), 1);
            // As a crash leaves it: the copy stays, its lock is gone with the process.
            QVERIFY(QFile::copy(Recovery() + QLatin1Char('/') + Copies()[0],
                                Recovery() + QStringLiteral("/recovery-99999999.txt")));
            app.ExitInstance();  // a normal exit removes its own copy
            QCOMPARE(Copies(), QStringList{QStringLiteral("recovery-99999999.txt")});
        }
        ScriptedPrompts prompts;
        prompts.askAnswers = {QMessageBox::Yes};
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        QCOMPARE(prompts.questions.size(), 1);
        QCOMPARE(Q(app.Document().GetPathName()), a);
        QCOMPARE(Q(app.Frame()->Pane().GetWindowText()),
                 QStringLiteral("<img src=a.bmp usemap=#m>\r\n<map name=m>\r\n</map>"));
        QVERIFY(app.Frame()->windowTitle().startsWith(QLatin1Char('*')));
        // The copy is this editor's now; the orphan is gone.
        QCOMPARE(Copies().size(), 1);
        QVERIFY(Copies()[0] != QStringLiteral("recovery-99999999.txt"));
        app.ExitInstance();
    }

    void browserCheckWritesThePageAndHandsItOn() {
        ScriptedPrompts prompts;
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        app.Frame()->Action(cmd::kBrowserCheck)->trigger();
        QCOMPARE(prompts.messages.size(), 1);  // no picture yet
        QVERIFY(app.OpenDocumentFile(m_f.Picture("a.bmp")));
        app.Frame()->Pane().SetWindowText(
            InsertAreaLine(app.Frame()->Pane().GetWindowText(), kArea));
        app.Frame()->Action(cmd::kBrowserCheck)->trigger();
        QCOMPARE(prompts.openedUrls.size(), 1);
        const std::string page =
            testutil::ReadFile(prompts.openedUrls[0].toLocalFile().toStdString());
        QVERIFY(page.find(kArea) != std::string::npos);
        QVERIFY(page.find("width=\"240\" height=\"160\" usemap=\"#map_a.bmp\"") !=
                std::string::npos);
        QFile::remove(prompts.openedUrls[0].toLocalFile());
    }
};

QTEST_MAIN(MarkupFileTest)
#include "markup_file_test.moc"
