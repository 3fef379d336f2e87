// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application: the settings store, the recent-file list, the one
// document, frame and view, opening pictures from the command line, the
// File menu and the recent-file list, and the picture file dialog.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "document/map_doc.h"
#include "image/read_error.h"
#include "io/messages.h"
#include "shell/picture_loader.h"
#include "shell/prompts.h"
#include "shell/recent_files.h"

class CMainFrame;
class CMarkupFile;
class ProfileStore;

// Extra flags of PromptForPicture, by the values of the file dialog flags
// they stand for.
constexpr int kOfnOverwritePrompt = 0x2;
constexpr int kOfnHideReadOnly = 0x4;
constexpr int kOfnPathMustExist = 0x800;
constexpr int kOfnFileMustExist = 0x1000;

class CMapApp : public QObject {
    Q_OBJECT
public:
    // `store` becomes the settings store for the application's lifetime.
    explicit CMapApp(ProfileStore& store);
    ~CMapApp() override;
    CMapApp(const CMapApp&) = delete;
    CMapApp& operator=(const CMapApp&) = delete;

    // Loads the recent-file list, builds the frame with an empty document
    // and opens the picture, or the page with its picture and map, named by
    // `args` (program arguments without the program name), if any. False
    // when that does not open; `error` then says why in one line, and the
    // program ends.
    bool InitInstance(const QStringList& args, QString* error = nullptr);
    // Writes the recent-file list back to the store.
    void ExitInstance();

    // The picture file dialog. `name`: in, the initial name; out, the chosen
    // full path. `titleId` is not used. `open`: open or save dialog. `pType`
    // (may be null): in, the type code that picks a save dialog's starting
    // filter; out, the type of the filter chosen. True when confirmed.
    bool PromptForPicture(QString& name, int titleId, int flags, bool open, int* pType);

    // Opens `path`, reading it before this returns; the picture already
    // open is read again (its markup stays, the status bar says so). True
    // when the picture is (now) open; a picture that fails to open changes
    // nothing, and `failure` (may be null) says why.
    bool OpenDocumentFile(const QString& path, ze::Status* failure = nullptr);
    // The same, with the picture read on a worker thread while the window
    // goes on (the menu's way); a picture that fails to open says why in a
    // message box naming the file. `done` (may be empty) gets the answer of
    // OpenDocumentFile once it is known, at once for a refused name; never
    // when the open is cancelled (Esc, or another open started meanwhile).
    void BeginOpen(const QString& path, std::function<void(bool opened)> done = {});
    bool IsOpening() const;
    void CancelOpen();
    // Answers events until no open is in progress; false when one still is
    // after `timeoutMs`.
    bool WaitForOpen(int timeoutMs = 30000);

    CMainFrame* Frame() const { return m_frame.get(); }
    // The markup as a document: changed flag, saving, pages, recovery.
    CMarkupFile* Markup() const { return m_markup.get(); }
    CMapDoc& Document() { return m_doc; }
    const CRecentFileList& RecentFiles() const { return m_recent; }
    // Puts `path` (a picture or a page) at the head of the recent-file list.
    void AddRecent(const QString& path);
    // While held, a picture that opens does not join the recent-file list:
    // a page's picture opens with its page, and the page joins it instead.
    void HoldRecent(bool held) { m_recentHeld = held; }
    int FilterIndex() const { return m_nFilterIndex; }

public slots:
    void OnFileOpen();
    // Opens entry `index` of the recent-file list, a page with its picture
    // and map; a failure removes it.
    void OnOpenRecentFile(int index);
    // Opens a picture as 開く would, or a page with its picture and map as
    // マップを開く would (anything that is no picture), asking first about
    // changed markup.
    void OpenNamed(const QString& path);
    // Files dropped on the window: the first opens; of several, the status
    // bar says that only the first did.
    void OnFilesDropped(const QStringList& paths);
    // File > Save As: a name from the fixed filter list; the document keeps
    // its path and title.
    void OnFileSaveAs();
    // Save As is enabled exactly while a picture is loaded.
    void OnUpdateFileSaveAs();

private:
    void RecentChanged();
    // The absolute native path to open.
    QString PathToOpen(const QString& path);
    // `image` is the open picture read again: it replaces the one shown,
    // the markup stays, and the status bar says so (and whether full colour
    // made it read otherwise).
    void PictureReadAgain(std::unique_ptr<CImage> image);
    // The frame follows a newly opened picture: title, view, Save As.
    void PictureOpened();
    // At start: a colour JPEG is shown in full colour at once and its
    // colours are reduced on a worker thread; anything else opens as
    // OpenDocumentFile opens it.
    bool OpenAtStart(const QString& path, ze::Status* failure);
    // The full-colour stand-in `shown` is the document's picture from now
    // until its reduced colours replace it.
    void ShowStandIn(std::unique_ptr<CImage> shown, const QString& path);
    // The reduced reading of the stand-in shown: it takes the stand-in's
    // place, unless the document has moved on. When it does not load, the
    // full-colour picture stays, and the message box says why.
    void ColoursReduced(CPictureLoader::Result& result);
    // Waits (under the wait cursor) while a stand-in's colours are reduced:
    // what works on the pixels works on the reduced ones.
    void WaitForReducedColours();
    // While colours are reduced the view's pixels are a stand-in: the
    // readout is not shown, and a click waits for the reduced picture.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The message box for a picture that did not open.
    void ShowOpenFailure(const QString& path, const ze::Status& failure);
    // True when `path` names the picture that is open.
    bool IsOpen(const QString& path) const;
    // Writes the picture to `path` under the wait cursor, encoded as
    // `options` say. A failure says so in one message box naming the file
    // and the reason; an empty name says nothing. True when written.
    bool WritePicture(const QString& path, const ze::SaveOptions& options);

    ProfileStore& m_store;
    ProfileStore* m_oldStore;
    ze::MessageHandler m_oldHandler;
    CRecentFileList m_recent;
    bool m_recentHeld = false;
    int m_nFilterIndex = 0;  // 1-based; 0 before the first confirmed Open
    CMapDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CPictureLoader> m_loader;
    const CImage* m_standIn = nullptr;  // the document's picture while it is a stand-in
    std::unique_ptr<CMarkupFile> m_markup;
};

// The message for a picture at `path` that did not open: the file and why.
QString OpenFailureMessage(const QString& path, const ze::Status& failure);
