// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The markup as a document of its own: whether it has changed since it was
// opened, made or saved (the pane's modified flag, shown as "*" in the
// title), saving it to an HTML file or back into the page it came from,
// opening it from a page together with the page's picture, the question
// before changed markup would be thrown away, the copy kept for after a
// crash, and the page for checking it in a browser.

#include <QObject>
#include <QString>
#include <QTimer>
#include <string_view>

#include "document/page_save.h"
#include "shell/recovery.h"

class CMapApp;
class QTextDocument;

class CMarkupFile : public QObject {
    Q_OBJECT
public:
    // `app` must have its frame. The copy for after a crash goes to
    // `recoveryFolder`.
    CMarkupFile(CMapApp& app, const QString& recoveryFolder = CRecovery::DefaultFolder());
    ~CMarkupFile() override;

    // How often unsaved markup is copied for after a crash.
    static constexpr int kRecoveryIntervalMs = 3000;

    bool IsModified() const;
    // The file the markup is saved to; empty until it has one.
    const QString& Path() const { return m_path; }
    // True when saving writes the markup back into the page at Path().
    bool FromPage() const { return m_fromPage; }
    // The page's line of line `paneLine` of the pane's text `paneText`: the
    // image tag's lines from where the image stands in the page, the map's
    // from where the map does. The pane's own line for a map not from a page.
    int PageLine(int paneLine, std::string_view paneText) const;

    // With changed markup asks 保存しますか? (Save / Discard / Cancel). True
    // when the caller may go on: nothing changed, saved, or discarded.
    bool MaybeSave();
    // The pane now holds a new picture's skeleton: no file, unchanged.
    void MarkupReplaced();
    // Opens a page: its picture and its image's markup. False, with the
    // reason said in a message, when it does not open; then nothing changed.
    bool OpenPage(const QString& path);
    // Writes the markup to `path` (as a page copy when it came from a page).
    // A page that changed on disk keeps what another program did there;
    // when that touched our image or map, the user is asked first
    // (overwrite, reload the page, or cancel). Saved under a new name in
    // another folder than the picture's, markup that is no page gets its
    // image's src relative to the new folder.
    bool SaveTo(const QString& path);
    // Offers the copies left by editors that did not end normally, newest
    // first (restore, discard, or keep for later), and names those that
    // cannot be read; they stay where they are.
    void OfferRecovery();
    // Writes the copy for after a crash now, if the markup has unsaved changes.
    void WriteRecoveryCopy();
    // A normal end: the copy goes.
    void OnNormalExit();

public slots:
    void OnOpenMap();
    bool OnSaveMap();
    bool OnSaveMapAs();
    void OnBrowserCheck();
    // 別のマップ: another image and map of the page the markup came from.
    // Changed markup is first saved into the page (or discarded, as the
    // user says), so every map is written back in place; then the one
    // chosen opens.
    void OnSwitchMap();

private:
    QTextDocument& Document() const;
    // Makes the picture at `path` the document's; false (with `why`) when
    // it does not load, and then nothing has changed.
    bool AdoptPicture(const QString& path, QString* why);
    // The picture of a page's src; "/..." from the site's folder setting.
    QString ResolvePagePicture(const QString& pagePath, const QString& source) const;
    void Show(const QString& text) const;
    // The markup of a copy left after a crash, with its picture when that
    // still opens, as changed markup.
    void Restore(const RecoveryRecord& record);
    // OpenPage, preferring the one image that `ours` names over asking.
    bool OpenPageAt(const QString& path, const PageSnapshot* ours);
    // The line of the choice between a page's maps for `map`.
    static QString MapChoice(const PageImageMap& map);
    // The page at m_path with `text` put into it as `bytes`, and what to
    // remember of the page once they are written. False when it was not
    // merged: said in a message, cancelled, or the page read again.
    bool MergeIntoPage(const std::string& text, std::string* bytes, PageSnapshot* written);
    // The question about a page whose image or map cannot be written back
    // as it was read: 0 overwrite, 1 read again, anything else cancel.
    int AskAboutChangedPage(const ze::Status& status, const PageSnapshot& ours) const;
    // The edit that makes the image's src in `text` relative to `path`'s
    // folder (`source` the new src), when the relative src it has would not
    // find the picture from there. False when it is fine as it is.
    bool SourceMovedTo(const QString& path, const std::string& text, TextEdit* edit,
                       QString* source) const;
    // The page's file name in the window title while the markup is a page's.
    void ShowPageInTitle() const;

    CMapApp& m_app;
    CRecovery m_recovery;
    QTimer m_timer;
    QString m_path;
    bool m_fromPage = false;
    int m_image = 0;      // which image with a map of the page
    int m_imageLine = 1;  // the page's lines of that image and its map
    int m_mapLine = 1;
    PageSnapshot m_page;       // what the page held when read or last written
    bool m_copyStale = false;  // the text changed since the last copy
    QString m_copyFailure;     // shown in the status bar: copies cannot be written
};
