// SPDX-License-Identifier: GPL-3.0-or-later
// Every message the window can show is Japanese: the reasons of the core's
// status tables and failures, the image library's messages, the checker's
// rules in the 問題 panel, the commands' captions and prompts. Names (of
// files, formats, HTML) may stand in them; a text without one Japanese
// character fails.

#include "shell/window_text.h"

#include <sys/stat.h>

#include <QRegularExpression>
#include <QTreeWidget>

#include "app_folder.h"
#include "document/page_file.h"
#include "image/read_error.h"
#include "io/messages.h"
#include "markup/check_messages.h"
#include "markup/check_rules.h"

namespace {

bool HasJapanese(const QString& text) {
    for (const QChar c : text)
        if ((c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF) ||
            (c.unicode() >= 0xFF00 && c.unicode() <= 0xFFEF))
            return true;
    return false;
}

// The string literals that image/ passes to the message handler.
QStringList LibraryMessages() {
    QStringList found;
    static const QRegularExpression call(QStringLiteral("ReportMessage\\(\"([^\"]+)\"\\)"));
    for (const auto& entry : std::filesystem::directory_iterator(testutil::SourcePath("image")))
        for (const auto& match : call.globalMatch(Q(testutil::ReadFile(entry.path().string()))))
            found << match.captured(1);
    return found;
}

}  // namespace

class WindowTextTest : public QObject {
    Q_OBJECT

    AppFolder m_f;
    QStringList m_english;

    // Notes `text` (where it came from: `what`) unless it is Japanese.
    void Expect(const QString& text, const QString& what) {
        if (!HasJapanese(text)) m_english << what + QStringLiteral(": ") + text;
    }

private slots:
    void init() {
        m_f.Make();
        SetProfileStore(m_f.store.get());
        m_english.clear();
    }
    void cleanup() {
        SetProfileStore(nullptr);
        m_f.Drop();
    }

    void everyReasonAndMessageOfTheCoreIsShownInJapanese() {
        for (int i = 0; i <= int(ze::StatusCode::kLast); ++i)
            Expect(WindowText(ze::StatusCode(i)), QStringLiteral("status %1").arg(i));
        // Each way a page file is refused, as the window gets it.
        testutil::TempDir dir;
        QCOMPARE(mkfifo(dir.File("fifo.html").c_str(), 0600), 0);
        testutil::WriteFile(dir.File("plain.html"), "<p>no map</p>");
        for (const char* name : {"missing.html", "fifo.html", "plain.html", "."}) {
            const PageFile page = LoadPageFile(dir.File(name));
            QVERIFY(!page.ok);
            Expect(WindowText(page.error), QString::fromUtf8(name));
        }
        QVERIFY(WindowTextOf("").isEmpty());  // no reason: nothing said
        const QStringList library = LibraryMessages();
        QVERIFY(library.size() >= 2);
        for (const QString& message : library) {
            const QString shown = WindowTextOf(message.toStdString());
            Expect(shown.contains(message) ? QString() : shown, QStringLiteral("library"));
        }

        // Every reason a picture read or write gives, for each format.
        for (int type = -1; type <= int(kImageAvif); ++type) {
            for (int e = 1; e <= int(ze::StatusCode::kLast); ++e) {
                ze::Status failure = ze::PictureStatus(ze::StatusCode(e), type);
                failure.offset = 120, failure.width = 4, failure.height = 3;
                failure.value = 2, failure.limit = 1;
                Expect(Q(ze::StatusText(failure, ze::TextLanguage::kJapanese)),
                       QStringLiteral("read %1/%2").arg(type).arg(e));
            }
        }
        for (const CheckRuleInfo& rule : AllCheckRules()) {
            Expect(U(rule.japanese), U(rule.id));
            Expect(U(RuleLabel(rule.rule)), U(rule.id));
        }
        for (int text = 0; text <= int(CheckText::kSharedMap); ++text)
            Expect(U(TextInfo(CheckText(text)).japanese), QStringLiteral("finding %1").arg(text));
        for (const CommandInfo& command : Commands()) {
            for (const char* text : {command.text, command.prompt, command.tooltip})
                if (*text) Expect(U(text), QString::number(command.id));
        }
        QVERIFY2(m_english.isEmpty(), qPrintable(m_english.join(QLatin1Char('\n'))));
    }

    void theWindowShowsCheckerAndLibraryMessagesInJapanese() {
        START_EDITOR({});
        ze::ReportMessage("Write Error in GIF file");
        QCOMPARE(prompts.messages.size(), 1);
        Expect(prompts.messages.back(), QStringLiteral("message box"));

        frame.Problems().show();
        frame.Pane().SetWindowText(
            "<img src=p.png usemap=#m>\r\n<map name=m>\r\n<area shape=rect coords=1,2,3>\r\n"
            "<area href=\"javascript:x()\" coords=0,0,9,9>\r\n</map><img alt=a usemap=#nowhere>");
        frame.Problems().Recheck();
        auto* list = frame.Problems().findChild<QTreeWidget*>(QStringLiteral("ProblemsList"));
        QTRY_VERIFY(list->topLevelItemCount() >= 3);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            Expect(item->text(1) + item->text(2), QStringLiteral("cells"));
            Expect(item->toolTip(2), QStringLiteral("tooltip"));
        }
        // The page's details show with the Japanese.
        QVERIFY(!list->findItems(QStringLiteral("#nowhere"), Qt::MatchContains, 2).isEmpty());
        Expect(frame.Problems().windowTitle(), QStringLiteral("panel"));
        QVERIFY2(m_english.isEmpty(), qPrintable(m_english.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(WindowTextTest)
#include "window_text_test.moc"
