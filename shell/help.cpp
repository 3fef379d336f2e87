// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/help.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include "image/library_versions.h"

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

void AddMenu(const QMenu& menu, const QString& prefix, QList<CommandEntry>* out,
             QList<const QAction*>* seen) {
    for (const QAction* action : menu.actions()) {
        // Hidden items (the unused recent-file entries) are no commands.
        if (action->isSeparator() || !action->isVisible()) continue;
        const QString path = prefix + PlainCaption(action->text());
        if (action->menu()) {
            AddMenu(*action->menu(), path + QStringLiteral(" > "), out, seen);
            continue;
        }
        QList<QKeySequence> keys = action->shortcuts();
        const qsizetype tab = action->text().indexOf(QLatin1Char('\t'));
        if (keys.isEmpty() && tab >= 0)
            keys << QKeySequence::fromString(action->text().mid(tab + 1),
                                             QKeySequence::PortableText);
        out->append({path, keys});
        seen->append(action);
    }
}

}  // namespace

QStringList ManualCandidates(const QString& programFolder, const QString& sourceFolder) {
    const QDir program(programFolder);
    const QString page = QStringLiteral("manual/ja/index");
    QStringList result{
        program.filePath(QStringLiteral("../share/zer-evizi/doc/") + page +
                         QStringLiteral(".html")),
        program.filePath(QStringLiteral("../docs/") + page + QStringLiteral(".html")),
    };
    if (!sourceFolder.isEmpty())
        result
            << QDir(sourceFolder).filePath(QStringLiteral("docs/") + page + QStringLiteral(".md"));
    for (QString& path : result) path = QDir::cleanPath(path);
    return result;
}

QString FindManual(const QStringList& candidates) {
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath();
    }
    return {};
}

QString PlainCaption(const QString& text) {
    QString caption = text.left(text.indexOf(QLatin1Char('\t')));
    static const QRegularExpression mnemonic(QStringLiteral("\\s*[(（]&.[)）]"));
    caption.remove(mnemonic);
    caption.remove(QLatin1Char('&'));
    while (caption.endsWith(QLatin1Char('.')) || caption.endsWith(U("…"))) caption.chop(1);
    return caption.trimmed();
}

QList<CommandEntry> WindowCommands(const QMenuBar& menus, const QWidget& window) {
    QList<CommandEntry> result;
    QList<const QAction*> seen;
    for (const QAction* title : menus.actions())
        if (title->menu())
            AddMenu(*title->menu(), PlainCaption(title->text()) + QStringLiteral(" > "), &result,
                    &seen);
    // Keys the window takes without a menu item.
    for (const QAction* action : window.findChildren<QAction*>()) {
        if (action->shortcuts().isEmpty() || seen.contains(action)) continue;
        result.append({PlainCaption(action->text()), action->shortcuts()});
        seen.append(action);
    }
    return result;
}

CShortcutsDlg::CShortcutsDlg(const QList<CommandEntry>& commands, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(U("キーボードショートカット"));
    auto* table = new QTableWidget(0, 2, this);
    table->setObjectName(QStringLiteral("ShortcutTable"));
    table->setHorizontalHeaderLabels({U("操作"), U("キー")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (const CommandEntry& command : commands) {
        if (command.keys.isEmpty()) continue;
        QStringList keys;
        for (const QKeySequence& key : command.keys) keys << key.toString(QKeySequence::NativeText);
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(command.path));
        table->setItem(row, 1, new QTableWidgetItem(keys.join(U("、"))));
    }
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
    resize(580, 640);
}

QString AboutText() {
    QStringList lines{
        QStringLiteral("Zer Evizi SEKKA ") + QStringLiteral(ZE_VERSION),
        U("HTML のクライアントサイド・イメージマップを作るエディタ"),
        QString(),
        U("ライセンス: GNU 一般公衆利用許諾書 第 3 版またはそれ以降 (GPL-3.0-or-later)"),
        QString(),
        U("ライブラリ:"),
        QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
    };
    for (const ze::LibraryVersion& library : ze::PictureLibraryVersions())
        lines << QString::fromStdString(library.name) + QLatin1Char(' ') +
                     (library.version.empty() ? U("(読み込めません)")
                                              : QString::fromStdString(library.version));
    return lines.join(QLatin1Char('\n'));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(U("バージョン情報"));
    auto* text = new QLabel(AboutText(), this);
    text->setTextFormat(Qt::PlainText);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}
