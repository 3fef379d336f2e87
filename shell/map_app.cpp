#include "shell/map_app.h"

#include <QDir>
#include <QFileInfo>

#include "markup/settings.h"
#include "shell/main_frame.h"
#include "shell/picture_types.h"
#include "shell/prompts.h"

namespace {
bool SameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

CMapApp* g_app = nullptr;

bool KnownExtension(const QString& path) {
    // The text after the last dot anywhere in the path.
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    const QString ext = path.mid(dot + 1).toLower();
    return ext == QLatin1String("jpg") || ext == QLatin1String("jpeg") ||
           ext == QLatin1String("gif") || ext == QLatin1String("png") ||
           ext == QLatin1String("bmp");
}
}  // namespace

QString OpenFailureReason(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("no such file");
    if (info.isDir()) return QStringLiteral("is a folder");
    if (!KnownExtension(path)) {
        return QStringLiteral("not a picture type the editor opens (gif, jpg, jpeg, png, bmp)");
    }
    if (!info.isReadable()) return QStringLiteral("permission denied");
    return QStringLiteral("the picture could not be read");
}

CMapApp::CMapApp(ProfileStore& store) : m_store(store), m_oldStore(SetProfileStore(&store)) {
    g_app = this;
    m_oldHandler = ze::SetMessageHandler([this](const std::string& text) {
        Prompts().ShowMessage(m_frame.get(), QStringLiteral("Zer Evizi SEKKA"),
                              QString::fromStdString(text));
    });
}

CMapApp* CMapApp::Instance() {
    return g_app;
}

CMapApp::~CMapApp() {
    if (g_app == this) g_app = nullptr;
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
        m_recent.Add(QString::fromStdString(path));
        RecentChanged();
    });
    connect(m_frame.get(), &CMainFrame::fileOpenRequested, this, &CMapApp::OnFileOpen);
    connect(m_frame.get(), &CMainFrame::recentFileRequested, this, &CMapApp::OnOpenRecentFile);
    RecentChanged();

    if (!args.isEmpty() && !OpenDocumentFile(args.constFirst())) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2")
                         .arg(args.constFirst(), OpenFailureReason(args.constFirst()));
        m_doc.SetPane(nullptr);
        m_frame.reset();
        return false;
    }
    m_frame->show();
    return true;
}

void CMapApp::ExitInstance() {
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
    request.defaultSuffix =
        QString::fromStdString(PictureTypeExtension(PictureTypeAt(k - 1, open)));
    request.fileName = name;

    const FileAnswer answer = Prompts().AskFile(m_frame.get(), request);
    if (!answer.accepted) return false;
    name = QDir::toNativeSeparators(answer.path);
    const int chosen = answer.filterIndex + 1;
    if (open) m_nFilterIndex = chosen;
    if (pType) *pType = PictureTypeAt(chosen - 1, open);
    return true;
}

bool CMapApp::OpenDocumentFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString current = QString::fromStdString(m_doc.GetPathName());
    if (!current.isEmpty() &&
        SameFile(QFileInfo(absolute).canonicalFilePath(), QFileInfo(current).canonicalFilePath())) {
        if (m_frame) m_frame->activateWindow();
        return true;
    }
    const bool opened = m_doc.OnOpenDocument(absolute.toStdString());
    if (m_frame) {
        if (opened) m_frame->UpdateTitle(QString::fromStdString(m_doc.GetTitle()));
        // After a failed load the old picture is gone: the view repaints empty.
        m_frame->View().OnInitialUpdate();
    }
    return opened;
}

void CMapApp::OnFileOpen() {
    QString name;
    int type = 2;
    if (PromptForPicture(name, 61440, kOfnHideReadOnly | kOfnFileMustExist, true, &type)) {
        OpenDocumentFile(name);
    }
}

void CMapApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recent.Paths().size()) return;
    if (!OpenDocumentFile(m_recent.Paths()[index])) {
        m_recent.Remove(index);
        RecentChanged();
    }
}

void CMapApp::RecentChanged() {
    if (m_frame) m_frame->SetRecentFiles(m_recent.Paths());
}
