// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every modal prompt of the editor goes through one seam: file and folder
// dialogs, the link and base-folder dialogs, and message boxes. The default
// shows the real dialogs; tests install their own answers, so no dialog ever
// appears under test.

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QFileDialog;
class QUrl;
class QWidget;

// One filter of a file dialog: what the user sees and the patterns behind it
// ("*.html", "*gif"; "*.*" means every file).
struct FileFilter {
    QString description;
    QStringList patterns;
};

// The Qt filter string "description (p1 p2)" for each filter. "*.*" becomes
// "*" so that it matches every file, also names without a dot.
QStringList ToQtNameFilters(const QList<FileFilter>& filters);

struct FileRequest {
    QString title;
    bool open = true;        // false: a save dialog
    bool mustExist = false;  // open: only an existing file can be confirmed
    QList<FileFilter> filters;
    int filterIndex = 0;    // 0-based filter selected at the start
    QString defaultSuffix;  // added to a typed name without one (save)
    QString fileName;       // initial name
    QString directory;      // the folder shown at the start; empty: Qt's choice
};

struct FileAnswer {
    bool accepted = false;
    QString path;         // the chosen full path
    int filterIndex = 0;  // 0-based filter selected at the end
};

// The folder a dialog about `picturePath` starts in: the picture's own
// folder, or the home folder when there is no picture or its folder is gone.
QString StartFolderFor(const QString& picturePath);

// Sets up Qt's own file dialog (never the desktop's) for `request`.
void ConfigureFileDialog(QFileDialog& dialog, const FileRequest& request);
// What the user chose in a dialog that has finished.
FileAnswer ReadFileAnswer(QFileDialog& dialog, const FileRequest& request);

class PromptSeam {
public:
    virtual ~PromptSeam() = default;
    virtual FileAnswer AskFile(QWidget* parent, const FileRequest& request);
    // The chosen folder, or a null string when the user cancels.
    virtual QString AskFolder(QWidget* parent, const QString& title, const QString& start);
    // Runs a dialog modally; the answer is QDialog::DialogCode or done()'s value.
    virtual int RunDialog(QDialog& dialog);
    // A message box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& title, const QString& text);
    // A question: `buttons` and `defaultButton` are QMessageBox::StandardButton
    // values; the answer is the button chosen (the Escape button on close).
    virtual int Ask(QWidget* parent, const QString& title, const QString& text, int buttons,
                    int defaultButton);
    // A question whose buttons say what they do: `choices` in order, the
    // last one also what Escape and closing the box mean; `defaultIndex` the
    // default button, the ones between the first and the last destructive.
    // The answer is the index of the choice.
    virtual int AskChoice(QWidget* parent, const QString& title, const QString& text,
                          const QStringList& choices, int defaultIndex = 0);
    // One of `items`: its index, or -1 when the user cancels.
    virtual int Choose(QWidget* parent, const QString& title, const QString& label,
                       const QStringList& items);
    // Hands a URL to the desktop (the user's browser). `failed` gets the
    // reason, then or later, when nothing took it.
    virtual void OpenUrl(const QUrl& url, const std::function<void(const QString& why)>& failed);
};

// The seam in use (never null; the default one unless a test set another).
PromptSeam& Prompts();
// Installs `seam` (not owned; null restores the default) and answers the
// previous one.
PromptSeam* SetPromptSeam(PromptSeam* seam);
