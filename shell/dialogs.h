#pragma once
// The link dialog (link target and alternative text of a new area) and the
// base-folder dialog. The link dialog opens with the focus in the link field,
// its text selected, so typing replaces it and Enter confirms; the
// base-folder dialog opens with the OK button focused. Enter on another
// focused button presses that one.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "shell/prompts.h"

class CLinkDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLinkDlg(QWidget* parent = nullptr);

    // Filled on OK from the two fields; empty until then.
    QString m_strURL;
    QString m_strAlt;

    QLineEdit& UrlEdit() { return m_editUrl; }
    QLineEdit& AltEdit() { return m_editAlt; }
    QPushButton& OkButton() { return m_ok; }
    QPushButton& CancelButton() { return m_cancel; }
    QPushButton& BrowseButton() { return m_browse; }
    // The folder the file dialog of 参照 starts in (by default the home
    // folder; the view gives the picture's folder).
    void SetBrowseFolder(const QString& folder) { m_strBrowseFolder = folder; }

public slots:
    void accept() override;
    // Picks a file and puts its link text (relative to the base folder)
    // into the URL field; the alternative text stays.
    void OnBrowse();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton m_ok;
    QPushButton m_cancel;
    QLineEdit m_editUrl;
    QLabel m_labelUrl;
    QLabel m_labelAlt;
    QLineEdit m_editAlt;
    QPushButton m_browse;
    QString m_strBrowseFolder;
};

class CBaseDirDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBaseDirDlg(QWidget* parent = nullptr);

    QString m_strBaseDir;  // the stored base folder at the start

    QLineEdit& FolderEdit() { return m_editDir; }
    QPushButton& OkButton() { return m_ok; }

public slots:
    // Stores the field's text as the base folder, then closes.
    void accept() override;
    // Picks a folder, starting at the root of the current folder's drive.
    void OnBrowse();

private:
    QPushButton m_ok;
    QPushButton m_cancel;
    QLineEdit m_editDir;
    QPushButton m_browse;
    QLabel m_label;
};

// The link dialog's file filters.
QList<FileFilter> LinkFileFilters();
// Where the folder browser starts: the root of the current folder's drive.
QString FolderBrowseStart();
