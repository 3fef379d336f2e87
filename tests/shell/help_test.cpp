// SPDX-License-Identifier: GPL-3.0-or-later
// The ヘルプ menu: the manual it opens, the keys and the versions it lists, and
// manuals that name every command of the window and of the command-line tool.

#include "shell/help.h"

#include <sys/stat.h>

#include <QMenuBar>
#include <QRegularExpression>
#include <QTableWidget>

#include "app_folder.h"

namespace {

// The first word of each entry under COMMANDS in the command-line tool's man page.
QStringList CliCommands() {
    const QString page = Q(testutil::ReadFile(testutil::SourcePath("docs/zer-evizi-cli.1")));
    const QString section =
        page.section(QStringLiteral(".SH COMMANDS"), 1).section(QStringLiteral(".SH "), 0, 0);
    static const QRegularExpression entry(QStringLiteral("\\.TP\n(?:\\.BI? )?(?:\\\\fB)?(\\w+)"));
    QStringList commands;
    for (const QRegularExpressionMatch& match : entry.globalMatch(section))
        commands << match.captured(1);
    return commands;
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

    AppFolder m_f;

private slots:
    void init() {
        m_f.Make();
        SetProfileStore(m_f.store.get());
    }
    void cleanup() {
        SetProfileStore(nullptr);
        m_f.Drop();
    }

    void f1OpensTheManualThatIsThereAndAboutNamesTheLibraries() {
        ScriptedPrompts prompts;
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(&frame, Qt::Key_F1);
        QCOMPARE(prompts.openedUrls.size(), 1);
        const QString opened = prompts.openedUrls[0].toLocalFile();
        QVERIFY2(QFileInfo(opened).isFile() && opened.contains(QStringLiteral("manual/ja/index.")),
                 qPrintable(opened));
        // A folder, a FIFO or a dangling link planted under the name is passed over.
        testutil::TempDir dir;
        const auto path = [&](const char* name) { return Q(dir.File(name)); };
        QVERIFY(QDir().mkpath(path("folder.html")));
        QCOMPARE(mkfifo(dir.File("fifo.html").c_str(), 0600), 0);
        QVERIFY(QFile::link(path("gone.html"), path("dangling.html")));
        testutil::WriteFile(dir.File("real.html"), "<p>");
        QCOMPARE(FindManual({path("folder.html"), path("fifo.html"), path("dangling.html"),
                             path("missing.html"), path("real.html")}),
                 path("real.html"));

        frame.Action(cmd::kHelpAbout)->trigger();
        QCOMPARE(prompts.dialogsRun, 1);
        const QString about = AboutText();
        static const QRegularExpression line(
            QStringLiteral(
                "^(Qt|libpng|libjpeg-turbo|libexif|libwebp|libavif) \\d+\\.\\d+\\.\\d+$"),
            QRegularExpression::MultilineOption);
        int libraries = 0;
        for (const QRegularExpressionMatch& match : line.globalMatch(about))
            libraries += match.hasMatch();
        QVERIFY2(about.startsWith(QStringLiteral("Zer Evizi SEKKA 0.")) && libraries == 6 &&
                     about.contains(QStringLiteral("GPL-3.0-or-later")),
                 qPrintable(about));
    }

    void theKeysAndTheManualsFollowTheActions() {
        START_EDITOR({});  // the whole window, with the keys the application adds
        const QList<CommandEntry> commands = WindowCommands(*frame.menuBar(), frame);
        const QStringList cli = CliCommands();
        QVERIFY2(cli.size() >= 18 && cli.contains(QStringLiteral("send")),
                 qPrintable(cli.join(' ')));
        for (const char* page : {"docs/manual/ja/index.md", "docs/manual/en/index.md"}) {
            const QString manual = Q(testutil::ReadFile(testutil::SourcePath(page)));
            QStringList missing;
            const auto names = [&](const QString& path, const QList<QKeySequence>& keys) {
                for (const QString& item : path.split(QStringLiteral(" > ")))
                    if (!manual.contains(item)) missing << path;
                for (const QKeySequence& key : keys)
                    if (!manual.contains(key.toString(QKeySequence::PortableText)))
                        missing << key.toString(QKeySequence::PortableText);
            };
            for (const CommandEntry& command : commands) names(command.path, command.keys);
            // The command table too: a row no menu shows yet is named all the same.
            for (const CommandInfo& command : Commands())
                names(PlainCaption(U(command.text)), CommandKeys(command));
            for (const QString& name : cli)
                if (!manual.contains(QStringLiteral("zer-evizi-cli ") + name)) missing << name;
            QVERIFY2(missing.isEmpty(), qPrintable(page + QStringLiteral(" never names: ") +
                                                   missing.join(QStringLiteral(", "))));
        }

        // Commands added later show in the keys window without it knowing of them.
        frame.FileMenu()->addAction(U("終了 (&X)"))->setShortcut(Qt::CTRL | Qt::Key_Q);
        auto* hidden = new QAction(U("全て選択"), &frame);
        hidden->setShortcut(Qt::CTRL | Qt::Key_A);
        frame.addAction(hidden);
        QMap<QString, QString> rows;
        prompts.onDialog = [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("ShortcutTable"));
            for (int row = 0; table && row < table->rowCount(); ++row)
                rows[table->item(row, 0)->text()] = table->item(row, 1)->text();
            return int(QDialog::Accepted);
        };
        frame.Action(cmd::kHelpShortcuts)->trigger();
        QCOMPARE(rows.value(U("ファイル > マップを保存")), U("Ctrl+S、Ctrl+Shift+S"));
        QCOMPARE(rows.value(U("領域 > 領域をコピー")), QStringLiteral("Ctrl+C"));  // the caption's
        QCOMPARE(rows.value(U("ファイル > 終了")), QStringLiteral("Ctrl+Q"));
        QCOMPARE(rows.value(U("全て選択")), QStringLiteral("Ctrl+A"));
        QCOMPARE(rows.value(U("画像の読み込みを中止")), QStringLiteral("Esc"));
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
