// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ヘルプ menu's parts: where the manual is, the list of every key the
// window's commands take, and the version window.

#include <QDialog>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

class QMenuBar;
class QWidget;

// Where the Japanese manual may be, best first: installed beside the
// program (PREFIX/share/zer-evizi/doc/manual), made in a build tree next to the
// program's folder, then the source tree's own text.
QStringList ManualCandidates(const QString& programFolder, const QString& sourceFolder);
// The first candidate that is a readable regular file (through links), or
// an empty string.
QString FindManual(const QStringList& candidates);

// A command as the user meets it: "領域 > 配置 > 揃える > 左", and the keys
// that run it (none for most).
struct CommandEntry {
    QString path;
    QList<QKeySequence> keys;
};
// A menu caption without its mnemonic, key text or trailing dots:
// "名前を付けてマップを保存(&K)...\tF12" is "名前を付けてマップを保存".
QString PlainCaption(const QString& text);
// Every item of the window's menus in menu order, then the actions of
// `window` with keys that no menu holds. An item whose action has no key
// takes the one its caption names after a tab (keys the picture handles).
QList<CommandEntry> WindowCommands(const QMenuBar& menus, const QWidget& window);

// キーボードショートカット: every command with a key, read from the window.
class CShortcutsDlg : public QDialog {
public:
    CShortcutsDlg(const QList<CommandEntry>& commands, QWidget* parent);
};

// バージョン情報: the program's version and licence, the libraries and
// theirs.
QString AboutText();
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent);
};
