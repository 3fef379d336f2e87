// SPDX-License-Identifier: GPL-3.0-or-later
// The ヘルプ menu: the manual, the keys, the version.

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

#include "shell/commands.h"
#include "shell/help.h"
#include "shell/main_frame.h"
#include "shell/prompts.h"

void CMainFrame::AddHelpMenu() {
    AddItems(menuBar()->addMenu(QString::fromUtf8("ヘルプ(&H)")),
             {cmd::kHelpManual, cmd::kHelpShortcuts, kSeparator, cmd::kHelpAbout});
}

void CMainFrame::OnHelpManual() {
    const QStringList candidates =
        ManualCandidates(QCoreApplication::applicationDirPath(), QStringLiteral(ZE_SOURCE_DIR));
    const QString manual = FindManual(candidates);
    const QString title = QString::fromUtf8("使い方");
    if (manual.isEmpty()) {
        Prompts().ShowMessage(this, title,
                              QString::fromUtf8("使い方のファイルが見つかりません。\n") +
                                  candidates.join(QLatin1Char('\n')));
        return;
    }
    Prompts().OpenUrl(QUrl::fromLocalFile(manual), [this, title, manual](const QString& why) {
        Prompts().ShowMessage(this, title,
                              QString::fromUtf8("ブラウザを起動できませんでした。\n") + why +
                                  QLatin1Char('\n') + manual);
    });
}

void CMainFrame::OnHelpShortcuts() {
    CShortcutsDlg dialog(WindowCommands(*menuBar(), *this), this);
    Prompts().RunDialog(dialog);
}

void CMainFrame::OnHelpAbout() {
    CAboutDlg dialog(this);
    Prompts().RunDialog(dialog);
}
