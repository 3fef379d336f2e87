// SPDX-License-Identifier: GPL-3.0-or-later
// The application: start-up, opening pictures (command line, dialog, recent list), フルカラー,
// Save As writing a copy by the name's extension, Ctrl+S saving only the markup.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSemaphore>
#include <QStatusBar>
#include <algorithm>
#include <cstring>

#include "app_folder.h"
#include "image/image.h"
#include "shell/markup_file.h"
#include "shell/picture_loader.h"
#include "shell/picture_types.h"
#include "shell/save_options_dlg.h"
#include "support/pictures.h"

namespace {

// Writes `bytes` into the named pipe `fifo` (blocks until a reader opens it).
void FeedPipe(const std::string& fifo, const std::string& bytes) {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

// The markup written for the sample picture opened as `file`.
std::string Skeleton(const std::string& file) {
    return "<img src=\"" + file + "\" width=240 height=160 alt=\"\" usemap=\"#map_" + file +
           "\">\r\n<map name=\"map_" + file + "\">\r\n</map>";
}
}  // namespace

class AppTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

    QString Path(const std::string& name) { return Q(m_f.dir->File(name)); }

    // A small palette picture saved as `name` by its extension; false if unwritable.
    bool PalettePicture(const std::string& name) {
        testutil::WriteFile(m_f.dir->File("8bit.bmp"), testutil::TinyBmp(6, 4, 8));
        return CImage(m_f.dir->File("8bit.bmp"), -1).Save(m_f.dir->File(name), -1) != 0;
    }

private slots:
    void init() { m_f.Make(); }
    void cleanup() { m_f.Drop(); }

    void startUpAndRecentNames() {
        ScriptedPrompts outer;
        {
            START_EDITOR({});
            QCOMPARE(frame.windowTitle(), U("無題 - Zer Evizi SEKKA"));
            // No recent files: the greyed placeholder stands in the File menu.
            const QList<QAction*> file = frame.FileMenu()->actions();
            QVERIFY(std::any_of(file.begin(), file.end(), [](QAction* action) {
                return action->text() == U("最新のﾌｧｲﾙ") && !action->isEnabled();
            }));
            ze::ReportMessage("bad picture");  // the library's messages reach the user
            QCOMPARE(prompts.messages, QStringList{U("次のメッセージがありました: bad picture")});
        }
        ze::ReportMessage("after the application");  // the handler is gone
        QCOMPARE(outer.messages, QStringList());

        // Recent names are shortened for the menu.
        const QChar sep('/');
        QCOMPARE(AbbreviatePath(QStringLiteral("/home/user/pictures/2024/web/logo.gif"), 30, sep),
                 QStringLiteral("/.../2024/web/logo.gif"));
        QCOMPARE(
            AbbreviatePath(QStringLiteral("/a/a-very-long-file-name-for-the-menu.png"), 30, sep),
            QStringLiteral("a-very-long-file-name-for-the-menu.png"));
        QCOMPARE(RecentMenuText(1, QStringLiteral("/tmp/R&D.gif")),
                 QStringLiteral("&2 /tmp/R&&D.gif"));
    }

    void aCommandLinePictureThatDoesNotOpenEndsTheProgram() {
        for (const QString& path : {Q(m_f.dir->File("missing.bmp")), m_f.Picture("photo.tif")}) {
            ScriptedPrompts prompts;  // the library's message boxes go here
            CMapApp app(*m_f.store);
            QString error;
            QVERIFY(!app.InitInstance({path}, &error));
            QVERIFY(app.Frame() == nullptr);
            QVERIFY2(error.contains(path), qPrintable(error));
        }
        // The editor itself exits with one line on stderr.
        const std::string binary = std::string(ZE_BINARY_DIR) + "/shell/zer-evizi";
        if (!std::filesystem::exists(binary)) QSKIP("the editor is not built");
        const std::string missing = m_f.dir->File("missing.gif");
        testutil::ProcessResult result = testutil::RunProcess({binary, missing});
        QCOMPARE(result.exitCode, 1);
        // Qt may add warnings of its own; ours is one line.
        const QString err = Q(result.err);
        QCOMPARE(err.count(QStringLiteral("zer-evizi: ")), 1);
        QVERIFY(err.contains(Q(missing) + QStringLiteral(": no such file")));
    }

    void opensThroughThePromptOrTheRecentList() {
        const QString a = m_f.Picture("a.bmp"), b = m_f.Picture("b.bmp"), c = m_f.Picture("c.bmp");
        START_EDITOR({});
        // The first dialog starts on the first filter, later ones on the last chosen.
        prompts.AnswerFile(a, 3);
        frame.Action(cmd::kFileOpen)->trigger();
        QVERIFY(app.WaitForOpen());
        QCOMPARE(prompts.fileRequests.at(0).filterIndex, 0);
        MarkupPane& pane = frame.Pane();
        QCOMPARE(pane.GetWindowText(), Skeleton("a.bmp"));
        pane.SetWindowText("hand edit");
        // The same file again, also through a link, is read again; its markup stays.
        const QString link = Q(m_f.dir->File("link.bmp"));
        std::filesystem::create_symlink(a.toStdString(), link.toStdString());
        for (const QString& path : {a, link}) {
            const CImage* before = app.Document().m_pImage.get();
            frame.StatusBar().clearMessage();
            prompts.AnswerFile(path, 3);
            app.OnFileOpen();
            QVERIFY(app.WaitForOpen());
            QVERIFY(app.Document().m_pImage.get() != before);
            QCOMPARE(pane.GetWindowText(), std::string("hand edit"));
            QVERIFY(frame.StatusBar().currentMessage().contains(U("読み直しました")));
        }
        QCOMPARE(prompts.fileRequests.at(1).filterIndex, 3);
        // Other pictures do replace it.
        for (const QString& path : {b, c}) QVERIFY(app.OpenDocumentFile(path));
        QCOMPARE(pane.GetWindowText(), Skeleton("c.bmp"));
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{c, b, a}));
        // Opening an entry moves it to the head.
        frame.RecentActions()[2]->trigger();
        QVERIFY(app.WaitForOpen());
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{a, c, b}));
        QCOMPARE(pane.GetWindowText(), Skeleton("a.bmp"));

        // A picture that does not load, or a name that is no picture type,
        // says so, naming the file and the reason, and changes nothing:
        // picture, markup, title; an entry whose file has gone is removed.
        const CImage* image = app.Document().m_pImage.get();
        const QString broken = Q(m_f.dir->File("broken.bmp")), other = Q(m_f.dir->File("xgif"));
        testutil::WriteFile(broken.toStdString(), std::string(64, 'x'));
        for (const QString& path : {broken, other}) {
            prompts.AnswerFile(path, 3);
            app.OnFileOpen();
            QVERIFY(app.WaitForOpen());
        }
        QCOMPARE(prompts.messages,
                 (QStringList{U("画像 %1 を開けません。\nBMP ファイルではありません。").arg(broken),
                              U("画像 %1 を開けません。\n開ける画像の種類ではありません "
                                "(gif, jpg, jpeg, png, bmp, webp, avif)。")
                                  .arg(other)}));
        QVERIFY(!app.OpenDocumentFile(broken));
        QVERIFY(QFile::remove(c));
        frame.RecentActions()[1]->trigger();
        QVERIFY(app.WaitForOpen());
        QCOMPARE(app.RecentFiles().Paths(), (QStringList{a, b}));
        QCOMPARE(app.Document().GetPathName(), a.toStdString());
        QCOMPARE(app.Document().m_pImage.get(), image);
        QCOMPARE(pane.GetWindowText(), Skeleton("a.bmp"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("a.bmp - Zer Evizi SEKKA"));

        // The list comes back next time.
        app.ExitInstance();
        CMapApp again(*m_f.store);
        QVERIFY(again.InitInstance({}));
        QCOMPARE(again.RecentFiles().Paths(), (QStringList{a, b}));
    }

    void anOpenReadsAsideShowsProgressAndEscCancelsIt() {
        // A named pipe: its read waits until the test writes the picture,
        // a JPEG small enough for the pipe's buffer.
        const std::string fifo = m_f.dir->File("slow.jpg");
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        CImage jpeg;
        jpeg.Load(testutil::SourcePath("resources/sample.bmp"), kImageBmp);
        QCOMPARE(jpeg.Save(m_f.dir->File("made.jpg"), kImageJpeg), 1);
        const std::string bytes = testutil::ReadFile(m_f.dir->File("made.jpg"));

        const QString a = m_f.Picture("a.bmp");
        START_EDITOR({a});
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        frame.Pane().SetWindowText("hand edit");
        const QString title = frame.windowTitle();
        const CImage* image = app.Document().m_pImage.get();
        auto progress = [&] {
            for (QLabel* label : frame.StatusBar().findChildren<QLabel*>())
                if (label->isVisible() && label->text().startsWith(U("読み込み中")))
                    return label->text();
            return QString();
        };

        // Esc drops the load: nothing changes, and no answer comes.
        int answers = 0;
        bool opened = false;
        const auto done = [&](bool ok) { opened = ok, ++answers; };
        app.BeginOpen(Q(fifo), done);
        QVERIFY(app.IsOpening());
        QTRY_COMPARE(progress(), U("読み込み中… slow.jpg"));
        frame.View().viewport()->repaint();  // the window goes on painting meanwhile
        QTest::keyClick(&frame, Qt::Key_Escape);
        QVERIFY(!app.IsOpening());
        QCOMPARE(progress(), QString());
        FeedPipe(fifo, bytes);
        QTest::qWait(200);
        QCOMPARE(answers, 0);
        QCOMPARE(app.Document().m_pImage.get(), image);
        QCOMPARE(frame.Pane().GetWindowText(), std::string("hand edit"));
        QCOMPARE(frame.windowTitle(), title);
        QCOMPARE(app.RecentFiles().Paths(), QStringList{a});

        // Opened again it completes (title and recent list as in the test above).
        app.BeginOpen(Q(fifo), done);
        FeedPipe(fifo, bytes);
        QVERIFY(app.WaitForOpen());
        QVERIFY(opened);
        QCOMPARE(answers, 1);
        QCOMPARE(frame.Pane().GetWindowText(), Skeleton("slow.jpg"));
        QVERIFY(prompts.messages.isEmpty());
    }

    void aColourJpegShowsInFullColourUntilItsColoursAreReduced() {
        CImage sample(m_f.Picture("s.bmp").toStdString(), kImageBmp);
        QVERIFY(sample.Save(m_f.dir->File("made.jpg"), kImageJpeg));
        std::filesystem::copy_file(m_f.dir->File("made.jpg"), m_f.dir->File("photo.jpg"));
        CImage reduced(m_f.dir->File("made.jpg"), kImageJpeg);
        QVERIFY(reduced.Save(m_f.dir->File("reduced.jpg"), kImageJpeg));
        const QRegularExpression readout(
            QStringLiteral("X座標 = (\\d+) Y座標 = (\\d+)   RGB\\((.*)\\)"));

        START_EDITOR({Path("made.jpg")});
        QCOMPARE(app.Document().m_pImage->GetDepth(), 24);  // at once, in full colour
        QVERIFY(app.WaitForOpen());
        QCOMPARE(app.Document().m_pImage->GetDepth(), 8);
        // The readout gives the reduced colours.
        QTest::mouseMove(frame.View().viewport(), QPoint(30, 20));
        QRegularExpressionMatch at;
        QTRY_VERIFY((at = readout.match(frame.StatusBar().currentMessage())).hasMatch());
        uint8_t r = 0, g = 0, b = 0;
        QVERIFY(reduced.GetPixelRGB(at.captured(1).toInt(),
                                    reduced.GetHeight() - 1 - at.captured(2).toInt(), &r, &g, &b));
        QCOMPARE(at.captured(3), QStringLiteral("%1, %2, %3").arg(r).arg(g).arg(b));

        // From the menu, the reduced reading held back until the test lets it go.
        QSemaphore gate;
        CPictureLoader::SetBeforeReducing([&gate] { gate.acquire(); });
        const auto shown = [&] {
            return frame.windowTitle().contains(QStringLiteral("photo.jpg")) &&
                   app.Document().m_pImage->GetDepth() == 24;
        };
        app.BeginOpen(Path("photo.jpg"));
        QTRY_VERIFY(shown());
        frame.StatusBar().clearMessage();
        QTest::mouseMove(frame.View().viewport(), QPoint(40, 30));  // no readout of the stand-in
        QTest::qWait(50);
        QCOMPARE(frame.StatusBar().currentMessage(), QString());
        QVERIFY(std::ranges::any_of(frame.StatusBar().findChildren<QLabel*>(), [](QLabel* l) {
            return l->isVisible() && l->text() == U("減色中… photo.jpg");
        }));
        // Another open meanwhile: the first one's reduced picture never shows.
        app.BeginOpen(m_f.Picture("other.bmp"));
        QVERIFY(app.WaitForOpen());
        gate.release();
        QTest::qWait(100);
        QVERIFY(frame.windowTitle().contains(QStringLiteral("other.bmp")));

        // Save As right after the full-colour picture shows writes the reduced one.
        app.BeginOpen(Path("photo.jpg"));
        QTRY_VERIFY(shown());
        QTimer::singleShot(50, [&gate] { gate.release(); });
        prompts.onDialog = [](QDialog&) { return int(QDialog::Accepted); };  // JPEG's options
        prompts.AnswerFile(Path("copy.jpg"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        CPictureLoader::SetBeforeReducing(nullptr);
        QCOMPARE(app.Document().m_pImage->GetDepth(), 8);
        QCOMPARE(testutil::ReadFile(m_f.dir->File("copy.jpg")),
                 testutil::ReadFile(m_f.dir->File("reduced.jpg")));
        QVERIFY(prompts.messages.isEmpty());
    }

    void theWindowAndTheBarKeepTheirPlaceAcrossStarts() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect place(30, 20, 500, 300), floating(100, 90, 220, 120);
        for (int start = 0; start < 4; ++start) {  // what each start finds, then leaves
            START_EDITOR({});
            CResizableBar& bar = frame.Bar();
            if (start == 0 || start == 3) {  // the first start, or a place on no screen
                QCOMPARE(frame.geometry().size(), screen.size() * 4 / 5);
                QCOMPARE(frame.geometry().center(), screen.center());
                QVERIFY(bar.height() < frame.height());
                frame.setGeometry(place);
                bar.DockAt(Qt::LeftDockWidgetArea, 150);
                QTRY_COMPARE(bar.width(), 150);
            } else if (start == 1) {
                QCOMPARE(frame.geometry(), place);
                QCOMPARE(bar.DockSide(), Qt::LeftDockWidgetArea);
                QTRY_COMPARE(bar.width(), 150);
                frame.showMaximized();
                bar.FloatAt(floating);
                QTRY_COMPARE(QRect(bar.pos(), bar.size()), floating);
            } else {
                QVERIFY(frame.isMaximized());
                QTRY_COMPARE(QRect(bar.pos(), bar.size()), floating);
            }
            app.ExitInstance();
            if (start == 2) {  // numbers planted in the file
                m_f.store->WriteProfileInt("Window", "Maximized", 0);
                m_f.store->WriteProfileInt("Window", "X", screen.right() + 100);
                m_f.store->WriteProfileInt("Window", "BarFloating", 0);
                m_f.store->WriteProfileInt("Window", "BarSide", 8);
                m_f.store->WriteProfileInt("Window", "BarSize", 2147483647);
            }
        }
    }

    void pagesAndDropsOpenAsTheMenusWouldAndTheHabitsWork() {
        m_f.Picture("a.bmp");
        const QString b = m_f.Picture("b.bmp"), page = Path("page.html");
        testutil::WriteFile(page.toStdString(),
                            "<img src=\"a.bmp\" usemap=\"#m\">\n<map name=\"m\">\n"
                            "<area coords=\"1,1,9,9\" href=x>\n<area coords=\"5,5,20,20\" "
                            "href=y>\n</map>\n");
        START_EDITOR({page});  // zer-evizi page.html
        QVERIFY(app.Markup()->FromPage());
        QCOMPARE(app.Markup()->Path(), page);

        // Ctrl+A, then 座標: a wrong count is said and asked again.
        frame.Action(cmd::kEditSelectAll)->trigger();
        QCOMPARE(frame.View().MapAreas().SelectedAreas(), (QList<int>{0, 1}));
        std::deque<QString> typed{QStringLiteral("1,2"), QStringLiteral("2, 3 ,30,40")};
        prompts.onDialog = [&](QDialog& dialog) {
            static_cast<QInputDialog&>(dialog).setTextValue(typed.front());
            typed.pop_front();
            return int(QDialog::Accepted);
        };
        frame.Action(cmd::kAreaCoords)->trigger();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(frame.Pane().GetWindowText().find("coords=\"2,3,30,40\"") != std::string::npos);

        // Dropped: a picture (of two, the first, said so), then the page again.
        const auto drop = [&](const QStringList& files) {
            emit frame.filesDropped(files);
            QVERIFY(app.WaitForOpen());
        };
        prompts.askAnswers = {QMessageBox::Discard};
        drop({b, page});
        QCOMPARE(Q(app.Document().GetPathName()), b);
        QVERIFY(frame.StatusBar().currentMessage().contains(U("最初")));
        drop({page});
        QVERIFY(app.Markup()->FromPage());

        frame.Action(cmd::kAppExit)->trigger();
        QVERIFY(!frame.isVisible());
    }

    void everyDockComesBackAsItWas() {
        QRect bar, list, problems;
        for (int start = 0; start < 3; ++start) {
            START_EDITOR({});
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            if (start == 0) {
                QVERIFY(frame.AreaList().x() > frame.Bar().x());
                frame.Problems().show();
            } else if (start == 1) {
                QVERIFY(frame.Problems().isVisible());
                QTRY_COMPARE(frame.Bar().geometry(), bar);
                QTRY_COMPARE(frame.AreaList().geometry(), list);
                QCOMPARE(frame.Problems().geometry(), problems);
            } else {  // a garbled layout: the bar's own entries
                QCOMPARE(frame.Bar().DockSide(), Qt::BottomDockWidgetArea);
            }
            QCoreApplication::processEvents();
            bar = frame.Bar().geometry();
            list = frame.AreaList().geometry();
            problems = frame.Problems().geometry();
            app.ExitInstance();
            if (start == 1) m_f.store->WriteProfileString("Window", "Docks", "AAAA!!");
        }
    }

    void fullColourChangesHowTheNextJpegReadsAndIsKept() {
        CImage sample(m_f.Picture("s.bmp").toStdString(), kImageBmp);
        for (const char* name : {"a.jpg", "b.jpg"})
            QVERIFY(sample.Save(m_f.dir->File(name), kImageJpeg));
        for (int start = 0; start < 2; ++start) {
            START_EDITOR({});
            QAction* full = frame.Action(cmd::kViewFullColour);
            QCOMPARE(full->isChecked(), start == 1);
            if (start == 1) break;
            QVERIFY(app.OpenDocumentFile(Path("a.jpg")));
            QCOMPARE(app.Document().m_pImage->GetDepth(), 8);
            full->trigger();
            QVERIFY(full->isChecked() && GetFullColourSetting());
            // The picture open, opened again, reads in its own colours and says so.
            QVERIFY(app.OpenDocumentFile(Path("a.jpg")));
            QCOMPARE(app.Document().m_pImage->GetDepth(), 24);
            QVERIFY(frame.StatusBar().currentMessage().contains(U("フルカラー")));
            prompts.AnswerFile(Path("b.jpg"), 0);  // through the menu's worker thread
            frame.Action(cmd::kFileOpen)->trigger();
            QVERIFY(app.WaitForOpen());
            QCOMPARE(app.Document().m_pImage->GetDepth(), 24);
        }
    }

    void saveAsWritesByTheExtensionCtrlSOnlyTheMarkup() {
        START_EDITOR({});
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QAction* saveAs = frame.Action(cmd::kFileSaveAs);
        QVERIFY(!saveAs->isEnabled());  // no picture yet
        QVERIFY(PalettePicture("a.bmp"));
        QVERIFY(app.OpenDocumentFile(Path("a.bmp")));
        prompts.onDialog = [](QDialog&) { return int(QDialog::Accepted); };        // JPEG's options
        prompts.askAnswers = {QMessageBox::No, QMessageBox::No, QMessageBox::No};  // src kept

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
            QCOMPARE(testutil::ReadFile(m_f.dir->File(c.name)).substr(0, std::strlen(c.head)),
                     std::string(c.head));
        }
        saveAs->trigger();  // cancelled: silence
        QVERIFY(prompts.messages.isEmpty());
        // Every dialog started in the picture's folder.
        for (const FileRequest& request : prompts.fileRequests)
            QCOMPARE(request.directory, Q(m_f.dir->path().string()));
        // A copy: the document still names the opened file.
        QCOMPARE(app.Document().GetPathName(), m_f.dir->File("a.bmp"));

        // A PNG with a chunk the writer would not keep, and a JPEG it would
        // compress again: the first Ctrl+S asks for the markup's name beside
        // the picture, the next writes there; the picture stays byte for byte.
        QImage png(5, 3, QImage::Format_RGB32);
        png.fill(qRgb(200, 10, 10));
        png.setText(QStringLiteral("Comment"), QStringLiteral("kept"));
        QVERIFY(png.save(Path("a.png"), "PNG") && PalettePicture("b.jpg"));
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
            QVERIFY2(prompts.messages[0].endsWith(U(reason)), qPrintable(prompts.messages[0]));
        }
        QCOMPARE(testutil::ReadFile(m_f.dir->File("ro.png")), std::string("old"));
        QVERIFY(!std::filesystem::exists(m_f.dir->File("a.tif")));

        // A true-colour picture becomes a GIF of 256 colours; the status bar
        // says what was written.
        prompts.messages.clear();
        testutil::WriteFile(m_f.dir->File("true.bmp"), testutil::TinyBmp(6, 4));
        QVERIFY(app.OpenDocumentFile(Path("true.bmp")));
        prompts.AnswerFile(Path("true.gif"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(frame.StatusBar().currentMessage(),
                 U("true.gif を GIF で保存しました (%1 バイト)。")
                     .arg(testutil::ReadFile(m_f.dir->File("true.gif")).size()));

        // A picture with alpha: a JPEG is written only once the user has
        // heard that it will be laid over the background; a PNG keeps it.
        QImage clear(5, 3, QImage::Format_ARGB32);
        clear.fill(qRgba(200, 10, 10, 0));
        QVERIFY(clear.save(Path("alpha.png"), "PNG"));
        QVERIFY(app.OpenDocumentFile(Path("alpha.png")));
        prompts.messages.clear();
        prompts.onDialog = [](QDialog&) { return int(QDialog::Accepted); };
        for (const int answer : {int(QMessageBox::Cancel), int(QMessageBox::Ok)}) {
            prompts.questions.clear();
            prompts.askAnswers = {answer, QMessageBox::No};
            prompts.AnswerFile(Path("alpha.jpg"), 0);
            frame.Action(cmd::kFileSaveAs)->trigger();
            QVERIFY2(prompts.questions[0].contains(QStringLiteral("RGB(31, 127, 255)")),
                     qPrintable(prompts.questions[0]));
            QCOMPARE(std::filesystem::exists(m_f.dir->File("alpha.jpg")),
                     answer == QMessageBox::Ok);
        }
        prompts.questions.clear();
        prompts.AnswerFile(Path("again.png"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        QVERIFY(prompts.questions.isEmpty() && prompts.messages.isEmpty());
        QCOMPARE(QImage(Path("again.png")).pixel(4, 2), qRgba(200, 10, 10, 0));
    }

    void saveAsAsksTheFormatsOptionsThenOffersTheNewSrc() {
        START_EDITOR({});
        QVERIFY(PalettePicture("a.bmp"));
        QVERIFY(app.OpenDocumentFile(Path("a.bmp")));
        auto* edit = frame.findChild<QPlainTextEdit*>();
        const QString before = edit->toPlainText();
        // Cancelling the options writes nothing.
        prompts.AnswerFile(Path("c.webp"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(prompts.dialogsRun, 1);
        QVERIFY(!std::filesystem::exists(m_f.dir->File("c.webp")));
        prompts.onDialog = [](QDialog& dialog) {
            static_cast<CSaveOptionsDlg&>(dialog).Lossless().setChecked(true);
            return int(QDialog::Accepted);
        };
        prompts.AnswerFile(Path("c.webp"), 0);
        prompts.askAnswers = {QMessageBox::No};
        frame.Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(testutil::ReadFile(m_f.dir->File("c.webp")).substr(12, 4), std::string("VP8L"));
        QCOMPARE(prompts.questions.size(), 1);
        QCOMPARE(edit->toPlainText(), before);
        // Accepted: the src names the new file, and one undo brings back the old.
        prompts.AnswerFile(Path("d.png"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        QVERIFY(edit->toPlainText().contains(QStringLiteral("src=\"d.png\"")));
        edit->undo();
        QCOMPARE(edit->toPlainText(), before);
        // The same format as the picture's: nothing to ask.
        prompts.AnswerFile(Path("e.bmp"), 0);
        frame.Action(cmd::kFileSaveAs)->trigger();
        QCOMPARE(prompts.questions.size(), 2);
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
