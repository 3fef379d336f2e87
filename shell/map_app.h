#pragma once
// The application: the settings store, the recent-file list, the one
// document, frame and view, opening pictures from the command line, the
// File menu and the recent-file list, and the picture file dialog.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "image/messages.h"
#include "markup/map_doc.h"
#include "shell/recent_files.h"

class CMainFrame;
class ProfileStore;

// Extra flags of PromptForPicture, by the values of the file dialog flags
// they stand for.
constexpr int kOfnOverwritePrompt = 0x2;
constexpr int kOfnHideReadOnly = 0x4;
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
    // and opens the picture named by `args` (program arguments without the
    // program name), if any. False when that picture does not open; `error`
    // then says why in one line, and the program ends.
    bool InitInstance(const QStringList& args, QString* error = nullptr);
    // Writes the recent-file list back to the store.
    void ExitInstance();

    // The picture file dialog. `name`: in, the initial name; out, the chosen
    // full path. `titleId` is not used. `open`: open or save dialog. `pType`
    // (may be null): in, the type code that picks a save dialog's starting
    // filter; out, the type of the filter chosen. True when confirmed.
    bool PromptForPicture(QString& name, int titleId, int flags, bool open, int* pType);

    // Opens `path` unless it is the picture already open (then nothing
    // changes). True when the picture is (now) open.
    bool OpenDocumentFile(const QString& path);

    // The application object while one exists (the last one made), else null.
    static CMapApp* Instance();

    CMainFrame* Frame() const { return m_frame.get(); }
    CMapDoc& Document() { return m_doc; }
    const CRecentFileList& RecentFiles() const { return m_recent; }
    int FilterIndex() const { return m_nFilterIndex; }

public slots:
    void OnFileOpen();
    // Opens entry `index` of the recent-file list; a failure removes it.
    void OnOpenRecentFile(int index);

private:
    void RecentChanged();

    ProfileStore& m_store;
    ProfileStore* m_oldStore;
    ze::MessageHandler m_oldHandler;
    CRecentFileList m_recent;
    int m_nFilterIndex = 0;  // 1-based; 0 before the first confirmed Open
    CMapDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

// Why `path` does not open as a picture, in a few words.
QString OpenFailureReason(const QString& path);
