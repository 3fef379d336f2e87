// SPDX-License-Identifier: GPL-3.0-or-later
// The ヘルプ menu: the manual it opens, the keys it lists, the version it
// tells, and a manual that names every command the window and the
// command-line tool have.

#include "shell/help.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTableWidget>

#include "app_folder.h"

namespace {

QString SourceText(const std::string& relative) {
    return Q(testutil::ReadFile(testutil::SourcePath(relative)));
}

// The commands of the command-line tool's manual page: the first word of
// each entry under COMMANDS.
QStringList CliCommands() {
    const QStringList lines = SourceText("docs/zer-evizi-cli.1").split(QLatin1Char('\n'));
    QStringList commands;
    bool inCommands = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].startsWith(QStringLiteral(".SH")))
            inCommands = lines[i] == QStringLiteral(".SH COMMANDS");
        if (!inCommands || lines[i] != QStringLiteral(".TP")) continue;
        QString entry = lines[i + 1];
        entry.remove(QRegularExpression(QStringLiteral("^\\.B[IR]? |\\\\f[BIR]|\"")));
        commands << entry.section(QLatin1Char(' '), 0, 0);
    }
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

    void f1OpensTheJapaneseManualThatIsThere() {
        ScriptedPrompts prompts;
        CMainFrame frame;
        const QList<QAction*> menus = frame.menuBar()->actions();
        QCOMPARE(menus.last()->text(), U("ヘルプ(&H)"));
        QAction* manual = frame.Action(cmd::kHelpManual);
        QCOMPARE(manual->shortcut(), QKeySequence(Qt::Key_F1));
        manual->trigger();
        QCOMPARE(prompts.openedUrls.size(), 1);
        const QString opened = prompts.openedUrls[0].toLocalFile();
        QVERIFY2(QFileInfo(opened).isFile(), qPrintable(opened));
        QVERIFY2(opened.contains(QStringLiteral("manual/ja/index.")), qPrintable(opened));
        QVERIFY(prompts.messages.isEmpty());

        // Only a readable regular file counts, reached through a link too;
        // a folder, a FIFO or a dangling link planted under the name is passed over.
        testutil::TempDir dir;
        const auto path = [&](const char* name) { return Q(dir.File(name)); };
        QVERIFY(QDir().mkpath(path("folder/index.html")));
        QCOMPARE(mkfifo(dir.File("fifo.html").c_str(), 0600), 0);
        QVERIFY(QFile::link(path("gone.html"), path("dangling.html")));
        testutil::WriteFile(dir.File("real.html"), "<p>");
        QVERIFY(QFile::link(path("real.html"), path("link.html")));
        QCOMPARE(FindManual({path("folder/index.html"), path("fifo.html"), path("dangling.html"),
                             path("missing.html"), path("link.html"), path("real.html")}),
                 path("link.html"));
        QCOMPARE(FindManual({path("fifo.html")}), QString());
        // Installed beside the program first, then the build tree's, then the source text.
        QCOMPARE(ManualCandidates(QStringLiteral("/usr/bin"), QStringLiteral("/src/ze")),
                 (QStringList{QStringLiteral("/usr/share/zer-evizi/doc/manual/ja/index.html"),
                              QStringLiteral("/usr/docs/manual/ja/index.html"),
                              QStringLiteral("/src/ze/docs/manual/ja/index.md")}));
    }

    void theKeysWindowReadsEveryKeyFromTheActions() {
        ScriptedPrompts prompts;
        CMainFrame frame;
        // Commands added later show up without the window knowing of them.
        QAction* added = frame.menuBar()->actions().first()->menu()->addAction(U("終了 (&X)"));
        added->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        auto* hidden = new QAction(U("全て選択"), &frame);
        hidden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
        frame.addAction(hidden);
        QMap<QString, QString> rows;
        prompts.onDialog = [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("ShortcutTable"));
            for (int row = 0; table && row < table->rowCount(); ++row)
                rows[table->item(row, 0)->text()] = table->item(row, 1)->text();
            return int(QDialog::Accepted);
        };
        frame.Action(cmd::kHelpShortcuts)->trigger();
        QCOMPARE(prompts.dialogsRun, 1);
        QCOMPARE(rows.value(U("ヘルプ > 使い方")), QStringLiteral("F1"));
        QCOMPARE(rows.value(U("ファイル > マップを保存")), U("Ctrl+S、Ctrl+Shift+S"));
        QCOMPARE(rows.value(U("ファイル > 名前を付けてマップを保存")), QStringLiteral("F12"));
        QCOMPARE(rows.value(U("領域 > 領域をコピー")), QStringLiteral("Ctrl+C"));  // the caption's
        QCOMPARE(rows.value(U("ファイル > 終了")), QStringLiteral("Ctrl+Q"));
        QCOMPARE(rows.value(U("全て選択")), QStringLiteral("Ctrl+A"));
        QCOMPARE(rows.value(U("ファイル > 開く")), QStringLiteral("Ctrl+O"));
        qsizetype withKeys = 0;
        for (const CommandEntry& command : WindowCommands(*frame.menuBar(), frame))
            withKeys += command.keys.isEmpty() ? 0 : 1;
        QCOMPARE(rows.size(), withKeys);  // no two commands under one name
    }

    void theVersionWindowNamesVersionLicenceAndLibraries() {
        const QString about = AboutText();
        QVERIFY2(about.startsWith(QStringLiteral("Zer Evizi SEKKA 0.")), qPrintable(about));
        QVERIFY(about.contains(QStringLiteral("GPL-3.0-or-later")));
        QVERIFY(about.contains(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())));
        for (const char* library : {"libpng", "libjpeg-turbo", "libexif", "libwebp", "libavif"}) {
            const QRegularExpression line(QStringLiteral("^%1 \\d+\\.\\d+\\.\\d+$").arg(library),
                                          QRegularExpression::MultilineOption);
            QVERIFY2(line.match(about).hasMatch(), qPrintable(about));
        }
        ScriptedPrompts prompts;
        CMainFrame frame;
        QString shown;
        prompts.onDialog = [&](QDialog& dialog) {
            if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("AboutText")))
                shown = label->text();
            return int(QDialog::Accepted);
        };
        frame.Action(cmd::kHelpAbout)->trigger();
        QCOMPARE(shown, about);
    }

    void theManualNamesEveryMenuItemKeyAndCommand() {
        START_EDITOR({});  // the whole window, with the keys the application adds
        const QList<CommandEntry> commands = WindowCommands(*frame.menuBar(), frame);
        QStringList cli = CliCommands();
        QVERIFY2(cli.size() >= 18 && cli.contains(QStringLiteral("send")),
                 qPrintable(cli.join(' ')));
        for (const char* page : {"docs/manual/ja/index.md", "docs/manual/en/index.md"}) {
            const QString manual = SourceText(page);
            QStringList missing;
            for (const CommandEntry& command : commands) {
                for (const QString& item : command.path.split(QStringLiteral(" > ")))
                    if (!manual.contains(item)) missing << command.path;
                for (const QKeySequence& key : command.keys)
                    if (!manual.contains(key.toString(QKeySequence::PortableText)))
                        missing << key.toString(QKeySequence::PortableText);
            }
            for (const QString& name : cli)
                if (!manual.contains(QStringLiteral("zer-evizi-cli ") + name))
                    missing << QStringLiteral("zer-evizi-cli ") + name;
            QVERIFY2(missing.isEmpty(), qPrintable(page + QStringLiteral(" never names: ") +
                                                   missing.join(QStringLiteral(", "))));
        }
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
