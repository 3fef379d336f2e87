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
    QAction* manual = AddCommand(cmd::kHelpManual, QString::fromUtf8("使い方 (&M)"));
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    QAction* keys =
        AddCommand(cmd::kHelpShortcuts, QString::fromUtf8("キーボードショートカット (&K)"));
    QAction* about = AddCommand(cmd::kHelpAbout, QString::fromUtf8("バージョン情報 (&A)"));
    QMenu* help = menuBar()->addMenu(QString::fromUtf8("ヘルプ(&H)"));
    help->addAction(manual);
    help->addAction(keys);
    help->addSeparator();
    help->addAction(about);
    connect(manual, &QAction::triggered, this, &CMainFrame::OnHelpManual);
    connect(keys, &QAction::triggered, this, &CMainFrame::OnHelpShortcuts);
    connect(about, &QAction::triggered, this, &CMainFrame::OnHelpAbout);
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
