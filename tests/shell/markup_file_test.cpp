// SPDX-License-Identifier: GPL-3.0-or-later
// The markup as a document: the question before it is thrown away, pages opened and saved back,
// the copy kept for after a crash, the browser page, the 問題 panel and File > 書き出し.

#include "shell/markup_file.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QMessageBox>
#include <QTextCursor>
#include <csignal>

#include "app_folder.h"
#include "document/settings.h"
#include "markup/area_markup.h"

namespace {
const std::string kArea = "<area shape=\"rect\" coords=\"1,1,9,9\" href=\"x.html\">";
}  // namespace

class MarkupFileTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

    QString Recovery() const { return Q(m_f.dir->File("state/zer-evizi")); }
    QStringList Copies() const { return QDir(Recovery()).entryList({QStringLiteral("*.txt")}); }
    static QStringList Rows(CProblemsPanel& panel) {
        QStringList rows;
        for (int i = 0; i < panel.List().topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = panel.List().topLevelItem(i);
            rows << row->text(0) + ' ' + row->text(1) + ' ' + row->text(3);
        }
        return rows;
    }

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
            START_EDITOR({a});
            if (c.edit)
                frame.Pane().SetWindowText(InsertAreaLine(frame.Pane().GetWindowText(), kArea, {}));
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
        const QString picture = m_f.Picture("img/地図 1.bmp");
        const std::string page =
            "<html><body>\n<p>前</p>\n<img src=\"img/%E5%9C%B0%E5%9B%B3%201.bmp?v=2\" "
            "usemap=\"#m\">\n<map name=\"m\">\n</map>\n<p>後</p>\n</body></html>\n";
        const QString path = Q(m_f.dir->File("index.html"));
        testutil::WriteFile(path.toStdString(), page);
        START_EDITOR({});
        prompts.AnswerFile(path, 0);
        frame.Action(cmd::kMapOpen)->trigger();
        QCOMPARE(prompts.messages, QStringList());
        QCOMPARE(Q(app.Document().GetPathName()), picture);
        const std::string pane = frame.Pane().GetWindowText();
        QCOMPARE(Q(pane), Q("<img src=\"img/%E5%9C%B0%E5%9B%B3%201.bmp?v=2\" usemap=\"#m\">\r\n"
                            "<map name=\"m\">\r\n</map>"));
        QVERIFY(!app.Markup()->IsModified());
        QCOMPARE(frame.windowTitle(), U("index.html (地図 1.bmp) - Zer Evizi SEKKA"));

        frame.Pane().SetWindowText(InsertAreaLine(pane, kArea, {}));
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
            {"<img src=\"gone.bmp\" usemap=#m><map name=m></map>", "ファイルがありません"},
            {"<img src=\"index.html\" usemap=#m><map name=m></map>",
             "開ける画像の種類ではありません"},
            {"<img src=\"http://example.com/a.bmp\" usemap=#m><map name=m></map>", "ファイルでは"},
            {"<img src=\" \" usemap=#m><map name=m></map>", "src がありません"},
            {"<img usemap=#m><map name=m>\n" + std::string(16385, ' ') + "\n</map>", "16 KB"},
        };
        const std::string current = frame.Pane().GetWindowText();
        for (const auto& f : failures) {
            prompts.messages.clear();
            const QString other = Q(m_f.dir->File("other.html"));
            testutil::WriteFile(other.toStdString(), f.page);
            QVERIFY(!app.Markup()->OpenPage(other));
            QCOMPARE(prompts.messages.size(), 1);
            QVERIFY2(prompts.messages[0].contains(U(f.says)), qPrintable(prompts.messages[0]));
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
        QCOMPARE(frame.windowTitle(), U("several.html (地図 1.bmp) - Zer Evizi SEKKA"));
        // A picture opened alone names only itself.
        QVERIFY(app.OpenDocumentFile(m_f.Picture("b.bmp")));
        QCOMPARE(frame.windowTitle(), QStringLiteral("b.bmp - Zer Evizi SEKKA"));

        // A src from the site's root: its folder asked for once, then remembered.
        QVERIFY(QDir().mkpath(Q(m_f.dir->File("sub"))));
        const QString rooted = Q(m_f.dir->File("sub/rooted.html"));
        testutil::WriteFile(rooted.toStdString(),
                            "<img src=\"/img/%E5%9C%B0%E5%9B%B3%201.bmp\" "
                            "usemap=#r><map name=r></map>");
        prompts.folderAnswers = {Q(m_f.dir->path().string())};
        QVERIFY(app.Markup()->OpenPage(rooted));
        QCOMPARE(Q(app.Document().GetPathName()), picture);
        QCOMPARE(Q(GetSiteRootSetting()), Q(m_f.dir->path().string()));
        QVERIFY(app.Markup()->OpenPage(rooted));
        QVERIFY(prompts.folderAnswers.empty());
    }

    void aPageInTheRecentListOpensWithItsMapAndSavesBackIntoIt() {
        const QString picture = m_f.Picture("img/a.bmp");
        const QString path = Q(m_f.dir->File("page.html"));
        const std::string page =
            "<p>x</p>\n<img src=\"img/a.bmp\" usemap=\"#m\">\n"
            "<map name=\"m\">\n" +
            kArea + "\n</map>\n";
        testutil::WriteFile(path.toStdString(), page);
        START_EDITOR({});
        QVERIFY(app.Markup()->OpenPage(path));
        QCOMPARE(app.RecentFiles().Paths(), QStringList{path});
        QVERIFY(app.OpenDocumentFile(m_f.Picture("b.bmp")));
        QCOMPARE(app.RecentFiles().Paths().size(), 2);

        app.OnOpenRecentFile(1);
        QCOMPARE(Q(app.Document().GetPathName()), picture);
        QVERIFY(frame.Pane().GetWindowText().find(kArea) != std::string::npos);
        QVERIFY(app.Markup()->FromPage());
        frame.Pane().SetWindowText(InsertAreaLine(frame.Pane().GetWindowText(), kArea, {}));
        frame.Action(cmd::kMapSave)->trigger();
        QCOMPARE(prompts.fileRequests.size(), size_t(0));
        std::string twice = page;
        twice.insert(twice.find("</map>"), kArea + "\n");
        QCOMPARE(Q(testutil::ReadFile(path.toStdString())), Q(twice));
        QCOMPARE(app.RecentFiles().Paths()[0], path);

        // A page gone meanwhile leaves the list.
        std::filesystem::remove(path.toStdString());
        app.OnOpenRecentFile(0);
        QCOMPARE(app.RecentFiles().Paths().size(), 1);
    }

    void aPageChangedOnDiskKeepsTheOtherProgramsWorkOrAsks() {
        m_f.Picture("a.bmp");
        const QString path = Q(m_f.dir->File("p.html"));
        const std::string ours = "<img src=\"a.bmp\" usemap=\"#m\">\n<map name=\"m\">\n</map>\n";
        testutil::WriteFile(path.toStdString(), "<body>\n" + ours + "<p>x</p>\n");
        const auto disk = [&] { return Q(testutil::ReadFile(path.toStdString())); };
        START_EDITOR({});
        QVERIFY(app.Markup()->OpenPage(path));
        const auto edit = [&] {
            frame.Pane().SetWindowText(InsertAreaLine(frame.Pane().GetWindowText(), kArea, {}));
        };
        const auto save = [&](std::deque<int> answers) {
            prompts.choiceAnswers = std::move(answers);
            frame.Action(cmd::kMapSave)->trigger();
        };
        // Another program puts a banner map before ours and an area into it:
        // both stay, ours goes where it is now, and nobody is asked.
        edit();
        const std::string banner =
            "<img src=\"b.bmp\" usemap=\"#banner\">\n<map name=\"banner\">\n</map>\n";
        std::string other = "<body>\n" + banner + ours + "<p>x</p>\n";
        other.insert(other.find("</map>"), "<area href=\"o.html\">\n");
        testutil::WriteFile(path.toStdString(), other);
        save({});
        QVERIFY(prompts.questions.isEmpty());
        const std::string saved =
            "<body>\n<img src=\"b.bmp\" usemap=\"#banner\">\n<map name=\"banner\">\n"
            "<area href=\"o.html\">\n</map>\n<img src=\"a.bmp\" usemap=\"#m\">\n<map "
            "name=\"m\">\n" +
            kArea + "\n</map>\n<p>x</p>\n";
        QCOMPARE(disk(), Q(saved));

        // Our map changed on disk: asked; cancel writes nothing, overwrite
        // writes ours, reload takes the page's.
        std::string theirs = saved, over = saved;
        theirs.insert(theirs.rfind("</map>"), "<area href=\"t.html\">\n");
        over.insert(over.rfind("</map>"), kArea + "\n" + kArea + "\n");
        const struct {
            int answer;  // 0 上書き, 1 読み直す, 2 キャンセル
            const std::string& after;
            bool modified;
        } cases[] = {{2, theirs, true}, {0, over, false}, {1, theirs, false}};
        for (const auto& c : cases) {
            testutil::WriteFile(path.toStdString(), theirs);
            edit();
            prompts.questions.clear();
            save({c.answer});
            QCOMPARE(prompts.questions.size(), 1);
            QCOMPARE(app.Markup()->IsModified(), c.modified);
            QCOMPARE(disk(), Q(c.after));
        }
        QVERIFY(frame.Pane().GetWindowText().find("t.html") != std::string::npos);
        // Our map gone: overwrite has nothing to replace and says so.
        testutil::WriteFile(path.toStdString(), "<body>\n" + banner);
        edit();
        prompts.messages.clear();
        save({0});
        QCOMPARE(prompts.messages.size(), 1);
        QCOMPARE(disk(), Q("<body>\n" + banner));
        QVERIFY(app.Markup()->IsModified());
    }

    void savedInAnotherFolderTheImageStillFindsItsPicture() {
        const QString picture = m_f.Picture("img/p.bmp");
        const struct {
            bool base;           // the base folder is the temporary folder
            const char* target;  // relative to it
            const char* src;     // in the file and the pane afterwards
        } cases[] = {{false, "pages/x.html", "../img/p.bmp"},
                     {false, "img/y.html", "p.bmp"},
                     {true, "site.html", "img/p.bmp"},
                     {true, "img/z.html", "p.bmp"}};
        for (const auto& c : cases) {
            ScriptedPrompts prompts;
            CMapApp app(*m_f.store);
            SetBaseDirSetting(c.base ? m_f.dir->path().string() : "");
            QVERIFY(app.InitInstance({picture}));
            CMainFrame& frame = *app.Frame();
            const std::string before = frame.Pane().GetWindowText();
            std::filesystem::create_directories(m_f.dir->File("pages"));
            prompts.AnswerFile(Q(m_f.dir->File(c.target)), 0);
            frame.Action(cmd::kMapSave)->trigger();
            const std::string saved = testutil::ReadFile(m_f.dir->File(c.target));
            QVERIFY2(saved.find("<img src=\"" + std::string(c.src) + "\" ") == 0, saved.c_str());
            QCOMPARE(frame.Pane().GetWindowText(), saved);
            QVERIFY(!app.Markup()->IsModified());
            QCOMPARE(frame.StatusBar().currentMessage().contains(Q(c.src)), saved != before);
        }
    }

    void aCopyIsKeptWhileChangedAndOfferedAfterACrash() {
        const QString a = m_f.Picture("a.bmp");
        {
            START_EDITOR({a});
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
        prompts.choiceAnswers = {0};
        CMapApp app(*m_f.store);
        QVERIFY(app.InitInstance({}));
        QCOMPARE(prompts.questions.size(), 1);
        QCOMPARE(prompts.lastChoices, U("復元 破棄 後で").split(' '));
        QCOMPARE(Q(app.Document().GetPathName()), a);
        QCOMPARE(Q(app.Frame()->Pane().GetWindowText()),
                 QStringLiteral("<img src=a.bmp usemap=#m>\r\n<map name=m>\r\n</map>"));
        QVERIFY(app.Frame()->windowTitle().startsWith(QLatin1Char('*')));
        // The copy is this editor's now; the orphan is gone.
        QCOMPARE(Copies().size(), 1);
        QVERIFY(Copies()[0] != QStringLiteral("recovery-99999999.txt"));
        app.ExitInstance();
    }

    void onlyDiscardRemovesACopyAndWhatCannotBeReadIsNamed() {  // restore: the test above
        const std::string copy =
            "ZER-EVIZI-RECOVERY 1\npicture 0\n\nmarkup 0\n\npage 0\n\ntext 7\n<map m>\n";
        const QString orphan = Recovery() + QStringLiteral("/recovery-99999999.txt");
        const QString lock = Recovery() + QStringLiteral("/recovery-99999999.lock");
        const struct {
            const char* what;
            int answer;  // 0 復元, 1 破棄, 2 後で
            bool stays;
            const char* says;  // the message about a copy that cannot be read
        } cases[] = {
            {"later", 2, true, nullptr},
            {"discard", 1, false, nullptr},
            {"cut off", 0, true, "recovery-99999999.txt: 途中で切れているか壊れています"},
            {"lock to /dev/zero", 0, true, "recovery-99999999.lock はシンボリックリンクです"},
        };
        for (const auto& c : cases) {
            QVERIFY(QDir().mkpath(Recovery()));
            const bool cut = std::string(c.what) == "cut off";
            testutil::WriteFile(orphan.toStdString(), copy.substr(0, copy.size() - (cut ? 2 : 0)));
            if (std::string(c.what) == "lock to /dev/zero")
                QVERIFY(QFile::link(QStringLiteral("/dev/zero"), lock));
            ScriptedPrompts prompts;
            prompts.choiceAnswers = {c.answer};
            CMapApp app(*m_f.store);
            QVERIFY(app.InitInstance({}));
            QCOMPARE(prompts.questions.size(), c.says ? 0 : 1);
            QCOMPARE(prompts.messages.size(), c.says ? 1 : 0);
            if (c.says)
                QVERIFY2(prompts.messages[0].contains(U(c.says)), qPrintable(prompts.messages[0]));
            QCOMPARE(QFile::exists(orphan), c.stays);
            QCOMPARE(app.Frame()->Pane().GetWindowText() == "<map m>", c.answer == 0 && !c.says);
            app.ExitInstance();
            QCOMPARE(QFile::exists(orphan), c.stays);
            QFile::remove(orphan);
            QFile::remove(lock);
        }
    }

    void copiesThatCannotBeWrittenAreSaidOnce() {
        const QString a = m_f.Picture("a.bmp");
        const QString elsewhere = Q(m_f.dir->File("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        const std::pair<const char*, const char*> spoils[] = {
            {"symbolic link", "シンボリックリンクです"},
            {"permission denied", "許可がありません"},
            {"file too large", "ファイルが大きすぎます"}};
        for (const auto& [spoil, says] : spoils) {
            const std::string why = spoil;
            QDir(Recovery()).removeRecursively();
            QFile::remove(Recovery());
            QVERIFY(QDir().mkpath(Q(m_f.dir->File("state"))));
            if (why == "symbolic link") QVERIFY(QFile::link(elsewhere, Recovery()));
            if (why == "permission denied") {  // a read-only folder
                if (geteuid() == 0) continue;  // root writes there all the same
                QVERIFY(QDir().mkpath(Recovery()));
                QVERIFY(QFile::setPermissions(Recovery(), QFile::ReadOwner | QFile::ExeOwner));
            }
            START_EDITOR({a});
            QStatusBar& bar = frame.StatusBar();
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            const rlimit tiny{16, old.rlim_max};
            std::signal(SIGXFSZ, SIG_IGN);
            if (why == "file too large") {  // like a full disk, once the lock is taken
                frame.Pane().SetWindowText("<map name=m>");
                app.Markup()->WriteRecoveryCopy();
                setrlimit(RLIMIT_FSIZE, &tiny);
            }
            for (int tick = 0; tick < 3; ++tick) {
                frame.Pane().SetWindowText("<map name=m" + std::to_string(tick) + ">");
                app.Markup()->WriteRecoveryCopy();
                QVERIFY2(bar.currentMessage().contains(U(says)) == (tick == 0),
                         qPrintable(bar.currentMessage()));
                bar.clearMessage();
            }
            setrlimit(RLIMIT_FSIZE, &old);
            QFile::setPermissions(Recovery(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QVERIFY(QDir(elsewhere).isEmpty());
            app.ExitInstance();
        }
    }

    void browserCheckWritesThePageAndSaysWhenNoBrowserStarts() {
        // The desktop's opener in PATH: missing, failing as xdg-open does
        // when it finds no browser, and one that works.
        const QString bin = Q(m_f.dir->File("bin"));
        QDir().mkpath(bin);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8());
        const struct {
            const char* opener;
            bool said;
        } cases[] = {{nullptr, true}, {"exit 3", true}, {": >\"$0.ran\"", false}};
        for (const auto& c : cases) {
            const QString opener = bin + QStringLiteral("/xdg-open");
            QFile::remove(opener);
            if (c.opener) {
                testutil::WriteFile(opener.toStdString(), std::string("#!/bin/sh\n") + c.opener);
                QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner);
            }
            START_EDITOR({});
            prompts.desktopOpens = true;
            frame.Action(cmd::kBrowserCheck)->trigger();
            QCOMPARE(prompts.messages.size(), 1);  // no picture yet
            prompts.messages.clear();
            QVERIFY(app.OpenDocumentFile(m_f.Picture("a.bmp")));
            MarkupPane& pane = frame.Pane();
            pane.SetWindowText(InsertAreaLine(pane.GetWindowText(), kArea, {}));
            frame.Action(cmd::kBrowserCheck)->trigger();
            QCOMPARE(prompts.openedUrls.size(), 1);
            const QString page = prompts.openedUrls[0].toLocalFile();
            const std::string written = testutil::ReadFile(page.toStdString());
            QVERIFY(written.find(kArea) != std::string::npos);
            QVERIFY(written.find("width=\"240\" height=\"160\" usemap=\"#map_a.bmp\"") !=
                    std::string::npos);
            if (c.said) {
                QTRY_COMPARE(prompts.messages.size(), 1);
                QVERIFY2(prompts.messages[0].startsWith(U("ブラウザを起動できませんでした")) &&
                             prompts.messages[0].contains(QDir::toNativeSeparators(page)),
                         qPrintable(prompts.messages[0]));
            } else {
                QTRY_VERIFY(QFile::exists(opener + QStringLiteral(".ran")));
                QTest::qWait(100);
                QCOMPARE(prompts.messages, QStringList());
            }
            QFile::remove(page);
        }
        qputenv("PATH", path);
    }

    void findingsFollowTypingAndLeadToTheirAreaAndExportWrites() {
        START_EDITOR({m_f.Picture("a.bmp")});  // 240 x 160
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
                                      U("1 エラー img-alt"),
                                      U("4 警告 target-size"),
                                      U("4 エラー unreachable"),
                                      U("5 エラー area-alt"),
                                      U("5 警告 target-size"),
                                      U("5 警告 outside-picture"),
                                  }));
        QCOMPARE(panel.windowTitle(), U("問題 (エラー 3、警告 3)"));

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
        QCOMPARE(Rows(panel).size(), 6);
        QTRY_COMPARE(Rows(panel).size(), 5);

        // File > 書き出し writes either form or says why not.
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
        QVERIFY(page.find("<table class=\"ze-frame\" width=\"180\">") != std::string::npos);
        QVERIFY(page.find("<img src=\"" +
                          QUrl::fromLocalFile(Q(m_f.dir->File("a.bmp"))).toString().toStdString() +
                          "\" alt=\"A\" usemap=\"#m\" width=\"240\" height=\"160\">\n") !=
                std::string::npos);
        frame.Pane().SetWindowText("<map name=\"m\"></map>");
        frame.Action(cmd::kExportScalingMap)->trigger();
        QCOMPARE(prompts.messages.size(), 2);
        QCOMPARE(prompts.fileRequests.size(), 2);
    }
};

QTEST_MAIN(MarkupFileTest)
#include "markup_file_test.moc"
