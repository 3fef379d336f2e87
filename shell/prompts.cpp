// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/prompts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "shell/qt_japanese.h"

QStringList ToQtNameFilters(const QList<FileFilter>& filters) {
    QStringList result;
    for (const FileFilter& filter : filters) {
        QStringList patterns;
        for (const QString& pattern : filter.patterns) {
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        result << filter.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')');
    }
    return result;
}

QString StartFolderFor(const QString& picturePath) {
    if (!picturePath.isEmpty()) {
        const QFileInfo folder(QFileInfo(picturePath).absolutePath());
        if (folder.isDir()) return folder.absoluteFilePath();
    }
    return QDir::homePath();
}

void ConfigureFileDialog(QFileDialog& dialog, const FileRequest& request) {
    dialog.setWindowTitle(request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open && request.mustExist ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    const QStringList filters = ToQtNameFilters(request.filters);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 0 && request.filterIndex < filters.size()) {
        dialog.selectNameFilter(filters[request.filterIndex]);
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
}

FileAnswer ReadFileAnswer(QFileDialog& dialog, const FileRequest& request) {
    FileAnswer answer;
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.accepted = true;
    answer.path = dialog.selectedFiles().constFirst();
    const QStringList filters = ToQtNameFilters(request.filters);
    // With the details hidden, Qt answers either the whole filter or just
    // what the user saw: the description.
    const QString selected = dialog.selectedNameFilter();
    qsizetype index = filters.indexOf(selected);
    for (qsizetype i = 0; index < 0 && i < request.filters.size(); ++i) {
        if (request.filters[i].description == selected) index = i;
    }
    answer.filterIndex = int(std::max<qsizetype>(0, index));
    return answer;
}

FileAnswer PromptSeam::AskFile(QWidget* parent, const FileRequest& request) {
    InstallQtJapanese();
    QFileDialog dialog(parent);
    ConfigureFileDialog(dialog, request);
    dialog.exec();
    return ReadFileAnswer(dialog, request);
}

QString PromptSeam::AskFolder(QWidget* parent, const QString& title, const QString& start) {
    InstallQtJapanese();
    QFileDialog dialog(parent, title, start);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

int PromptSeam::RunDialog(QDialog& dialog) {
    InstallQtJapanese();
    return dialog.exec();
}

void PromptSeam::ShowMessage(QWidget* parent, const QString& title, const QString& text) {
    InstallQtJapanese();
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

int PromptSeam::Ask(QWidget* parent, const QString& title, const QString& text, int buttons,
                    int defaultButton) {
    InstallQtJapanese();
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::StandardButtons(buttons),
                    parent);
    box.setDefaultButton(QMessageBox::StandardButton(defaultButton));
    return box.exec();
}

int PromptSeam::AskChoice(QWidget* parent, const QString& title, const QString& text,
                          const QStringList& choices, int defaultIndex) {
    InstallQtJapanese();
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < choices.size(); ++i) {
        const QMessageBox::ButtonRole role = i == 0 ? QMessageBox::AcceptRole
                                             : i == choices.size() - 1
                                                 ? QMessageBox::RejectRole
                                                 : QMessageBox::DestructiveRole;
        buttons << box.addButton(choices[i], role);
    }
    if (defaultIndex >= 0 && defaultIndex < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[defaultIndex]));
    box.setEscapeButton(buttons.constLast());
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return int(chosen < 0 ? choices.size() - 1 : chosen);
}

int PromptSeam::Choose(QWidget* parent, const QString& title, const QString& label,
                       const QStringList& items) {
    InstallQtJapanese();
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, label, items, 0, false, &ok);
    return ok ? int(items.indexOf(chosen)) : -1;
}

void PromptSeam::OpenUrl(const QUrl& url, const std::function<void(const QString& why)>& failed) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // xdg-open is run here, not through QDesktopServices, which counts it as
    // done once it has started, so that its failure to find a browser is
    // heard. Without a parent the process is not ended when the editor is;
    // the browser that xdg-open may wait for is not tied to our output.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({url.toString(QUrl::FullyEncoded)});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::errorOccurred, opener,
                     [opener, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         opener->deleteLater();
                         failed(QString::fromUtf8("xdg-open を実行できません"));
                     });
    QObject::connect(
        opener, &QProcess::finished, opener,
        [opener, failed](int code, QProcess::ExitStatus status) {
            opener->deleteLater();
            if (status == QProcess::CrashExit)
                failed(QString::fromUtf8("xdg-open が異常終了しました"));
            else if (code != 0)
                failed(QString::fromUtf8("xdg-open が終了コード %1 で終わりました").arg(code));
        });
    opener->start();
#else
    if (!QDesktopServices::openUrl(url))
        failed(QString::fromUtf8("デスクトップがこのページを受け付けませんでした"));
#endif
}

namespace {
PromptSeam g_defaultSeam;
PromptSeam* g_seam = nullptr;
}  // namespace

PromptSeam& Prompts() {
    return g_seam ? *g_seam : g_defaultSeam;
}

PromptSeam* SetPromptSeam(PromptSeam* seam) {
    PromptSeam* old = g_seam;
    g_seam = seam;
    return old;
}
