// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/map_app.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <utility>

#include "document/picture_type.h"
#include "document/settings.h"
#include "image/flatten.h"
#include "image/image.h"
#include "io/safe_write.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/map_export.h"
#include "shell/markup_file.h"
#include "shell/picture_loader.h"
#include "shell/picture_saved.h"
#include "shell/picture_types.h"
#include "shell/prompts.h"
#include "shell/save_options_dlg.h"
#include "shell/window_state.h"
#include "shell/window_text.h"

namespace {
// Anything that is no picture is taken for a page, which opens with its map.
bool IsPageName(const QString& path) {
    return PictureTypeFromPath(path.toStdString()) < 0;
}

// The wait cursor for as long as a write or a wait takes.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
}  // namespace

QString OpenFailureMessage(const QString& path, const ze::Status& failure) {
    return QString::fromUtf8("画像 %1 を開けません。\n%2")
        .arg(QDir::toNativeSeparators(path),
             QString::fromStdString(ze::StatusText(failure, ze::TextLanguage::kJapanese)));
}

CMapApp::CMapApp(ProfileStore& store)
    : m_store(store),
      m_oldStore(SetProfileStore(&store)),
      m_loader(std::make_unique<CPictureLoader>()) {
    m_oldHandler = ze::SetMessageHandler([this](const std::string& text) {
        Prompts().ShowMessage(m_frame.get(), QStringLiteral("Zer Evizi SEKKA"), WindowTextOf(text));
    });
}

CMapApp::~CMapApp() {
    if (m_frame) m_frame->View().viewport()->removeEventFilter(this);
    m_markup.reset();
    m_loader.reset();
    m_doc.SetPane(nullptr);
    m_frame.reset();
    ze::SetMessageHandler(m_oldHandler);
    SetProfileStore(m_oldStore);
}

bool CMapApp::InitInstance(const QStringList& args, QString* error) {
    m_recent.Load(m_store);
    m_frame = std::make_unique<CMainFrame>();
    m_frame->View().SetDocument(&m_doc);
    m_doc.SetPane(&m_frame->Pane());
    m_doc.SetOnPathSet([this](const std::string& path) {
        if (!m_recentHeld) AddRecent(QString::fromStdString(path));
    });
    connect(m_frame.get(), &CMainFrame::fileOpenRequested, this, &CMapApp::OnFileOpen);
    connect(m_frame.get(), &CMainFrame::recentFileRequested, this, &CMapApp::OnOpenRecentFile);
    connect(m_frame.get(), &CMainFrame::fileSaveAsRequested, this, &CMapApp::OnFileSaveAs);
    connect(m_frame->FileMenu(), &QMenu::aboutToShow, this, &CMapApp::OnUpdateFileSaveAs);
    m_loader->SetIndicatorHost(&m_frame->StatusBar(), m_frame.get());
    m_markup = std::make_unique<CMarkupFile>(*this);
    CMarkupFile* markup = m_markup.get();
    m_frame->Problems().SetLineMap(
        [markup](int line, std::string_view text) { return markup->PageLine(line, text); });
    connect(m_frame.get(), &CMainFrame::mapOpenRequested, markup, &CMarkupFile::OnOpenMap);
    connect(m_frame.get(), &CMainFrame::mapSwitchRequested, markup, &CMarkupFile::OnSwitchMap);
    connect(m_frame.get(), &CMainFrame::mapSaveRequested, markup, &CMarkupFile::OnSaveMap);
    connect(m_frame.get(), &CMainFrame::mapSaveAsRequested, markup, &CMarkupFile::OnSaveMapAs);
    connect(m_frame.get(), &CMainFrame::browserCheckRequested, markup,
            &CMarkupFile::OnBrowserCheck);
    connect(m_frame.get(), &CMainFrame::exportRequested, this,
            [this](int form) { ExportMap(*this, static_cast<ResponsiveForm>(form)); });
    connect(m_frame.get(), &CMainFrame::scaledPreviewRequested, this,
            [this] { PreviewScaled(*this); });
    m_frame->SetCloseGuard([markup] { return markup->MaybeSave(); });
    connect(m_frame.get(), &CMainFrame::filesDropped, this, &CMapApp::OnFilesDropped);
    // After a load ends or is cancelled no picture is a stand-in any more: a
    // cancelled reduction leaves the picture in full colour.
    connect(m_loader.get(), &CPictureLoader::idle, this, [this] { m_standIn = nullptr; });
    m_frame->View().viewport()->installEventFilter(this);
    RecentChanged();
    OnUpdateFileSaveAs();

    ze::Status failure;
    const bool page = !args.isEmpty() && IsPageName(args.constFirst());
    if (page ? !m_markup->OpenPage(args.constFirst())
             : !args.isEmpty() && !OpenAtStart(args.constFirst(), &failure)) {
        // A page has said why in its message already.
        if (error)
            *error = page ? QStringLiteral("cannot open page %1").arg(args.constFirst())
                          : QStringLiteral("cannot open %1: %2")
                                .arg(args.constFirst(), QString::fromStdString(ze::StatusText(
                                                            failure, ze::TextLanguage::kEnglish)));
        m_markup.reset();
        m_doc.SetPane(nullptr);
        m_frame.reset();
        return false;
    }
    ShowWithStoredPlace(*m_frame, m_store);
    // Markup left by an editor that did not end normally is offered when no
    // picture was asked for; otherwise it waits for such a start.
    if (args.isEmpty()) m_markup->OfferRecovery();
    return true;
}

void CMapApp::ExitInstance() {
    if (m_markup) m_markup->OnNormalExit();
    if (m_frame) StorePlace(*m_frame, m_store);
    m_recent.Save(m_store);
}

bool CMapApp::PromptForPicture(QString& name, int /*titleId*/, int flags, bool open, int* pType) {
    int k = 0;
    if (open) {
        k = m_nFilterIndex;
    } else {
        int position = PictureTypePosition(pType ? *pType : 0, false);
        if (position < 0) position = 1;
        k = position + 1;
    }

    FileRequest request;
    request.title = QString::fromUtf8("画像ファイルを開く");
    request.open = open;
    request.mustExist = (flags & kOfnFileMustExist) != 0;
    request.filters = PictureFilters(open);
    request.filterIndex = std::max(0, k - 1);
    // The open dialog's first filter is every picture: its types follow it.
    const int firstType = open ? 1 : 0;
    if (!open)
        request.defaultSuffix =
            QString::fromStdString(PictureTypeExtension(PictureTypeAt(k - 1, open)));
    request.fileName = name;
    if (!open) request.directory = StartFolderFor(QString::fromStdString(m_doc.GetPathName()));

    const FileAnswer answer = Prompts().AskFile(m_frame.get(), request);
    if (!answer.accepted) return false;
    name = QDir::toNativeSeparators(answer.path);
    const int chosen = answer.filterIndex + 1;
    if (open) m_nFilterIndex = chosen;
    if (pType) *pType = PictureTypeAt(chosen - 1 - firstType, open);
    return true;
}

QString CMapApp::PathToOpen(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

void CMapApp::PictureReadAgain(std::unique_ptr<CImage> image) {
    // Only full colour changes how the same file reads: a colour JPEG
    // comes in its own colours, or in 256.
    const bool colours = m_doc.m_pImage && image->fullColour != m_doc.m_pImage->fullColour &&
                         image->GetDepth() != m_doc.m_pImage->GetDepth();
    m_doc.m_pImage = std::move(image);
    if (!m_frame) return;
    m_frame->activateWindow();
    m_frame->View().OnInitialUpdate();
    const QString file = QString::fromStdString(m_doc.GetTitle());
    m_frame->StatusBar().showMessage(
        !colours ? QString::fromUtf8("画像 %1 を読み直しました。マップはそのままです。").arg(file)
        : m_doc.m_pImage->fullColour
            ? QString::fromUtf8("画像 %1 をフルカラーで読み直しました。マップはそのままです。")
                  .arg(file)
            : QString::fromUtf8("画像 %1 を 256 色で読み直しました。マップはそのままです。")
                  .arg(file));
}

void CMapApp::PictureOpened() {
    if (m_markup) m_markup->MarkupReplaced();
    if (!m_frame) return;
    m_frame->UpdateTitle(QString::fromStdString(m_doc.GetTitle()));
    m_frame->View().OnInitialUpdate();
    OnUpdateFileSaveAs();
}

bool CMapApp::IsOpen(const QString& path) const {
    const QString current = QString::fromStdString(m_doc.GetPathName());
    if (current.isEmpty() || path.isEmpty()) return false;
    // A name that leads to no file has no canonical path: never the same.
    const QString a = QFileInfo(path).canonicalFilePath();
    return !a.isEmpty() && SamePath(a, QFileInfo(current).canonicalFilePath());
}

bool CMapApp::OpenDocumentFile(const QString& path, ze::Status* failure) {
    if (path.isEmpty()) {
        if (failure) *failure = ze::StatusCode::kMissing;
        return false;
    }
    m_loader->Cancel();
    const QString absolute = PathToOpen(path);
    if (IsOpen(absolute)) {
        // The picture open is read again; its markup stays.
        const int type = PictureTypeFromPath(absolute.toStdString());
        std::unique_ptr<CImage> image =
            LoadPicture(absolute.toStdString(), type, failure, GetFullColourSetting());
        if (!image) return false;
        PictureReadAgain(std::move(image));
        return true;
    }
    const bool opened = m_doc.OnOpenDocument(absolute.toStdString(), ReadMarkupSettings(), failure);
    if (opened) PictureOpened();
    return opened;
}

void CMapApp::ShowOpenFailure(const QString& path, const ze::Status& failure) {
    Prompts().ShowMessage(m_frame.get(), QStringLiteral("Zer Evizi SEKKA"),
                          OpenFailureMessage(path, failure));
}

void CMapApp::BeginOpen(const QString& path, std::function<void(bool)> done) {
    m_loader->Cancel();
    const QString absolute = path.isEmpty() ? QString() : PathToOpen(path);
    const int type = PictureTypeFromPath(absolute.toStdString());
    if (absolute.isEmpty() || type < 0) {
        if (!absolute.isEmpty()) ShowOpenFailure(absolute, ze::UnknownPictureType());
        if (done) done(false);
        return;
    }
    const bool again = IsOpen(absolute);
    auto finished = [this, done, again](CPictureLoader::Result& result) {
        if (m_standIn) {
            ColoursReduced(result);
            if (done) done(true);
            return;
        }
        // What the library said while reading, shown now on this thread.
        for (const QString& text : result.messages) ze::ReportMessage(text.toStdString());
        const bool opened = result.image != nullptr;
        if (opened && again) {
            PictureReadAgain(std::move(result.image));
        } else if (opened) {
            m_doc.AdoptPicture(result.path.toStdString(), std::move(result.image),
                               ReadMarkupSettings());
            PictureOpened();
        } else {
            ShowOpenFailure(result.path, result.failure);
        }
        if (done) done(opened);
    };
    // The picture open, read again, stays until its new reading is whole.
    if (again) return m_loader->Start(absolute, type, finished);
    m_loader->StartWithStandIn(
        absolute, type,
        [this](CPictureLoader::Result& shown) { ShowStandIn(std::move(shown.image), shown.path); },
        finished);
}

bool CMapApp::OpenAtStart(const QString& path, ze::Status* failure) {
    const QString absolute = path.isEmpty() ? QString() : PathToOpen(path);
    const int type = PictureTypeFromPath(absolute.toStdString());
    bool final = false;
    std::unique_ptr<CImage> shown =
        type < 0 ? nullptr
                 : CPictureLoader::ReadStandIn(absolute.toStdString(), type, GetFullColourSetting(),
                                               &final);
    if (!shown) return OpenDocumentFile(path, failure);
    if (final) {
        m_doc.AdoptPicture(absolute.toStdString(), std::move(shown), ReadMarkupSettings());
        PictureOpened();
        return true;
    }
    m_loader->StartReducing(absolute, type,
                            [this](CPictureLoader::Result& result) { ColoursReduced(result); });
    ShowStandIn(std::move(shown), absolute);
    return true;
}

void CMapApp::ShowStandIn(std::unique_ptr<CImage> shown, const QString& path) {
    m_doc.AdoptPicture(path.toStdString(), std::move(shown), ReadMarkupSettings());
    PictureOpened();
    m_standIn = m_doc.m_pImage.get();
}

void CMapApp::ColoursReduced(CPictureLoader::Result& result) {
    for (const QString& text : result.messages) ze::ReportMessage(text.toStdString());
    const CImage* shown = std::exchange(m_standIn, nullptr);
    if (!shown || m_doc.m_pImage.get() != shown) return;  // the document has moved on
    if (!result.image) return ShowOpenFailure(result.path, result.failure);
    if (result.image->GetWidth() != shown->GetWidth() ||
        result.image->GetHeight() != shown->GetHeight()) {
        // The file changed between the two readings: opened afresh.
        m_doc.AdoptPicture(result.path.toStdString(), std::move(result.image),
                           ReadMarkupSettings());
        PictureOpened();
        return;
    }
    m_doc.m_pImage = std::move(result.image);
    if (m_frame) m_frame->View().OnInitialUpdate();
}

void CMapApp::WaitForReducedColours() {
    if (!m_loader->IsReducing()) return;
    WaitCursor wait;
    WaitForOpen();
}

bool CMapApp::eventFilter(QObject* watched, QEvent* event) {
    if (!m_loader || !m_loader->IsReducing() || !m_frame || watched != m_frame->View().viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseMove:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            WaitForReducedColours();
            return m_loader->IsReducing();
        default:
            return QObject::eventFilter(watched, event);
    }
}

bool CMapApp::IsOpening() const {
    return m_loader->IsBusy();
}

void CMapApp::CancelOpen() {
    m_loader->Cancel();
}

bool CMapApp::WaitForOpen(int timeoutMs) {
    if (!m_loader->IsBusy()) return true;
    QEventLoop loop;
    connect(m_loader.get(), &CPictureLoader::idle, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !m_loader->IsBusy();
}

void CMapApp::OnFileOpen() {
    QString name;
    int type = 2;
    if (!PromptForPicture(name, 61440, kOfnHideReadOnly | kOfnFileMustExist, true, &type)) return;
    if (m_markup && !IsOpen(name) && !m_markup->MaybeSave()) return;
    BeginOpen(name);
}

void CMapApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recent.Paths().size()) return;
    const QString path = m_recent.Paths()[index];
    const auto forgetFailed = [this, path](bool opened) {
        const qsizetype at = m_recent.Paths().indexOf(path);
        if (opened || at < 0) return;
        m_recent.Remove(int(at));
        RecentChanged();
    };
    if (IsPageName(path) && m_markup) {
        if (!m_markup->MaybeSave()) return;
        forgetFailed(m_markup->OpenPage(path));
        return;
    }
    if (m_markup && !IsOpen(path) && !m_markup->MaybeSave()) return;
    BeginOpen(path, forgetFailed);
}

void CMapApp::OpenNamed(const QString& path) {
    if (!m_markup) return;
    if (IsPageName(path)) {
        if (m_markup->MaybeSave()) m_markup->OpenPage(path);
        return;
    }
    if (!IsOpen(path) && !m_markup->MaybeSave()) return;
    BeginOpen(path);
}

void CMapApp::OnFilesDropped(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (paths.size() > 1 && m_frame)
        m_frame->StatusBar().showMessage(
            QString::fromUtf8("%1 個のファイルがドロップされました。最初の %2 だけを開きます。")
                .arg(paths.size())
                .arg(QFileInfo(paths.constFirst()).fileName()));
    OpenNamed(paths.constFirst());
}

void CMapApp::AddRecent(const QString& path) {
    m_recent.Add(path);
    RecentChanged();
}

void CMapApp::RecentChanged() {
    if (m_frame) m_frame->SetRecentFiles(m_recent.Paths());
}

void CMapApp::OnUpdateFileSaveAs() {
    if (!m_frame) return;
    if (QAction* saveAs = m_frame->Action(cmd::kFileSaveAs))
        saveAs->setEnabled(m_doc.m_pImage != nullptr);
}

bool CMapApp::WritePicture(const QString& path, const ze::SaveOptions& options) {
    // What the image library says about a failed write goes into the one
    // message about it, not into boxes of its own; after a successful write
    // it is passed on as usual.
    QStringList said;
    const ze::MessageHandler outer = ze::SetMessageHandler(
        [&said](const std::string& text) { said << QString::fromStdString(text); });
    WaitForReducedColours();
    ze::Status status;
    {
        WaitCursor wait;
        status = m_doc.SavePicture(path.toStdString(), options);
    }
    ze::SetMessageHandler(outer);
    if (status.ok()) {
        for (const QString& text : said) ze::ReportMessage(text.toStdString());
        return true;
    }

    const QString file = QDir::toNativeSeparators(path);
    QString text;
    if (status == ze::StatusCode::kNotSavable) {
        text = QString::fromUtf8("%1 には保存できません。").arg(file) + WindowText(status);
    } else if (status != ze::StatusCode::kNoFileName && status != ze::StatusCode::kNothingOpen) {
        // The reason in Japanese; the library's own English words stay out.
        text = QString::fromUtf8("画像を %1 に保存できませんでした。\n").arg(file) +
               WindowText(status);
    } else {
        return false;  // a cancelled dialog, or no picture: nothing to say
    }
    Prompts().ShowMessage(m_frame.get(), QStringLiteral("Zer Evizi SEKKA"), text);
    return false;
}

void CMapApp::OnFileSaveAs() {
    WaitForReducedColours();
    if (!m_doc.m_pImage) return;
    FileRequest request;
    request.title = QString::fromUtf8("名前を付けて保存");
    request.open = false;
    request.filters = SaveAsFilters();
    request.directory = StartFolderFor(QString::fromStdString(m_doc.GetPathName()));
    const FileAnswer answer = Prompts().AskFile(m_frame.get(), request);
    if (!answer.accepted) return;
    // The extension of the final name decides the format, whatever filter
    // was chosen; path, title and recent list stay as they are.
    const QString name = QDir::toNativeSeparators(answer.path);
    // Transparency the format cannot keep: the user hears so before
    // anything else; then the format's options. A cancel writes nothing.
    const int type = PictureTypeFromPath(name.toStdString());
    const std::string note = ze::FlattenNote(m_doc.m_pImage->Pixels(), type, true);
    if (!note.empty() &&
        Prompts().Ask(m_frame.get(), QStringLiteral("Zer Evizi SEKKA"),
                      QString::fromStdString(note), QMessageBox::Ok | QMessageBox::Cancel,
                      QMessageBox::Ok) != QMessageBox::Ok)
        return;
    ze::SaveOptions options;
    if (type >= 0 && !AskSaveOptions(m_frame.get(), type, &options)) return;
    if (WritePicture(name, options)) AfterPictureSaved(*m_frame, m_doc, name, type);
}
