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

    // With changed markup asks 保存しますか? (Save / Discard / Cancel). True
    // when the caller may go on: nothing changed, saved, or discarded.
    bool MaybeSave();
    // The pane now holds a new picture's skeleton: no file, unchanged.
    void MarkupReplaced();
    // Opens a page: its picture and its image's markup. False, with the
    // reason said in a message, when it does not open; then nothing changed.
    bool OpenPage(const QString& path);
    // Writes the markup to `path` (as a page copy when it came from a page).
    bool SaveTo(const QString& path);
    // Offers the copy left by an editor that did not end normally.
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

private:
    QTextDocument& Document() const;
    // Makes the picture at `path` the document's; false (with `why`) when
    // it does not load, and then nothing has changed.
    bool AdoptPicture(const QString& path, QString* why);
    void Show(const QString& text) const;
    // The page's file name in the window title while the markup is a page's.
    void ShowPageInTitle() const;

    CMapApp& m_app;
    CRecovery m_recovery;
    QTimer m_timer;
    QString m_path;
    bool m_fromPage = false;
    int m_image = 0;           // which image with a map of the page
    bool m_copyStale = false;  // the text changed since the last copy
};
