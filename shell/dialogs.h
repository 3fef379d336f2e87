// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link dialog (link target and alternative text of a new area, and a
// section for its title, target, id, class and rel, shown or hidden as the
// user last left it) and the base-folder dialog. The link dialog opens with the focus in the link
// field, its text selected, so typing replaces it and Enter confirms; the base-folder dialog opens
// with the OK button focused. Enter on another focused button presses that one.

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include "markup/area_attributes.h"
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
    // The button that shows or hides the further attributes, and their
    // fields in kMoreAttributeNames order (the target's is its list's).
    QToolButton& MoreButton() { return m_more; }
    QLineEdit& MoreEdit(size_t index);
    // All fields from `link`, and back (the optional ones as typed).
    void SetLink(const AreaLink& link);
    AreaLink Link() const;
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
    QToolButton m_more;
    QWidget m_moreBox;
    QLineEdit m_editTitle;
    QComboBox m_target;
    QLineEdit m_editId;
    QLineEdit m_editClass;
    QLineEdit m_editRel;
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
