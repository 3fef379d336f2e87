#include "shell/markup_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

#include "image/safe_write.h"
#include "markup/page_file.h"
#include "markup/picture_type.h"
#include "markup/preview_page.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/prompts.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Empty when written, else why not.
QString WriteBytes(const QString& path, const std::string& bytes) {
    const ze::WriteError error = ze::WriteFileSafely(path.toStdString(), [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    });
    return error == ze::WriteError::kNone ? QString()
                                          : QString::fromUtf8(ze::WriteErrorText(error));
}

// The picture a page's src names: resolved against the page's folder, as a
// browser resolves it (percent escapes decoded, query and fragment
// dropped). Empty when it is not a local file.
QString ResolveSource(const QString& pagePath, const QString& source) {
    const QUrl base = QUrl::fromLocalFile(QFileInfo(pagePath).absoluteFilePath());
    const QUrl url = base.resolved(QUrl(source.trimmed()));
    if (!url.isLocalFile()) return QString();
    return QDir::cleanPath(url.toLocalFile());
}
}  // namespace

CMarkupFile::CMarkupFile(CMapApp& app, const QString& recoveryFolder)
    : m_app(app), m_recovery(recoveryFolder) {
    QTextDocument& doc = Document();
    connect(&doc, &QTextDocument::modificationChanged, this,
            [this](bool modified) { m_app.Frame()->SetMarkupModified(modified); });
    connect(&doc, &QTextDocument::contentsChanged, this, [this] { m_copyStale = true; });
    m_timer.setInterval(kRecoveryIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CMarkupFile::WriteRecoveryCopy);
    m_timer.start();
}

CMarkupFile::~CMarkupFile() = default;

QTextDocument& CMarkupFile::Document() const {
    return *m_app.Frame()->Edit().document();
}

bool CMarkupFile::IsModified() const {
    return Document().isModified();
}

void CMarkupFile::Show(const QString& text) const {
    Prompts().ShowMessage(m_app.Frame(), QStringLiteral("Zer Evizi SEKKA"), text);
}

bool CMarkupFile::MaybeSave() {
    if (!IsModified()) return true;
    const int answer = Prompts().Ask(m_app.Frame(), QStringLiteral("Zer Evizi SEKKA"),
                                     U("マップが変更されています。保存しますか?"),
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                     QMessageBox::Save);
    if (answer == QMessageBox::Save) return OnSaveMap();
    if (answer != QMessageBox::Discard) return false;
    m_recovery.Remove();
    m_copyStale = true;  // kept again should the next step fail
    return true;
}

void CMarkupFile::MarkupReplaced() {
    m_path.clear();
    m_fromPage = false;
    m_image = 0;
    Document().setModified(false);
    m_recovery.Remove();
}

bool CMarkupFile::AdoptPicture(const QString& path, QString* why) {
    const int type = PictureTypeFromPath(path.toStdString());
    if (!QFileInfo(path).isFile() || type < 0) {
        *why = OpenFailureReason(path);
        return false;
    }
    m_app.CancelOpen();  // a picture still being read must not replace this one
    auto image = LoadPicture(path.toStdString(), type);
    if (!image) {
        *why = OpenFailureReason(path);
        return false;
    }
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0) {
        *why = OpenFailureReason(path);
        return false;
    }
    CMapDoc& doc = m_app.Document();
    doc.m_pImage = std::move(image);
    doc.SetPathName(path.toStdString());
    CMainFrame* frame = m_app.Frame();
    frame->UpdateTitle(QString::fromStdString(doc.GetTitle()));
    frame->View().OnInitialUpdate();
    m_app.OnUpdateFileSaveAs();
    return true;
}

bool CMarkupFile::OpenPage(const QString& path) {
    const QString file = Native(path);
    const PageFile page = LoadPageFile(path.toStdString());
    if (!page.ok) {
        const QString reason = page.page.status == PageStatus::kNoImageMap
                                   ? U("このページにはイメージマップ (<img usemap> と <map>) "
                                       "がありません。")
                                   : QString::fromStdString(page.error);
        Show(U("%1 を開けません。\n%2").arg(file, reason));
        return false;
    }
    int index = 0;
    if (page.page.maps.size() > 1) {
        QStringList items;
        for (const PageImageMap& map : page.page.maps)
            items << U("%1 行: %2 (#%3)")
                         .arg(map.line)
                         .arg(QString::fromStdString(map.source),
                              QString::fromStdString(map.mapName));
        index = Prompts().Choose(m_app.Frame(), U("マップを開く"),
                                 U("このページには画像とマップが複数あります。どれを開きますか?"),
                                 items);
        if (index < 0 || index >= items.size()) return false;
    }
    // The pane takes only what a person edits; a larger map is refused
    // before the picture is replaced.
    const PageStatus fits = CheckPaneBounds(page.bytes, page.page, size_t(index));
    if (fits != PageStatus::kOk) {
        Show(U("%1 を開けません。\n%2")
                 .arg(file, fits == PageStatus::kPaneLineTooLong
                                ? U("画像のタグかマップに 64 KB を超える行があります。")
                                : U("画像のタグとマップが 4 MB か 100,000 行を超えています。")));
        return false;
    }
    const PageImageMap& map = page.page.maps[size_t(index)];
    const QString source = QString::fromStdString(map.source);
    const QString picture = ResolveSource(path, source);
    QString why;
    if (picture.isEmpty()) {
        Show(U("%1 の画像 \"%2\" はこのコンピューター上のファイルではありません。")
                 .arg(file, source));
        return false;
    }
    if (!AdoptPicture(picture, &why)) {
        Show(U("%1 の画像 %2 を開けません: %3").arg(file, Native(picture), why));
        return false;
    }
    m_app.Frame()->Pane().SetWindowText(ExtractMarkup(page.bytes, page.page, size_t(index)));
    m_path = QFileInfo(path).absoluteFilePath();
    m_fromPage = true;
    m_image = index;
    Document().setModified(false);
    m_recovery.Remove();
    return true;
}

void CMarkupFile::OnOpenMap() {
    if (!MaybeSave()) return;
    FileRequest request;
    request.title = U("マップを開く");
    request.open = true;
    request.mustExist = true;
    request.filters = {{U("HTML ファイル"), {QStringLiteral("*.html"), QStringLiteral("*.htm")}},
                       {U("全てのﾌｧｲﾙ"), {QStringLiteral("*.*")}}};
    const FileAnswer answer = Prompts().AskFile(m_app.Frame(), request);
    if (answer.accepted) OpenPage(answer.path);
}

bool CMarkupFile::SaveTo(const QString& path) {
    const QString target = Native(path);
    const std::string text = m_app.Frame()->Pane().GetWindowText();
    std::string bytes = text;
    if (m_fromPage) {
        // Merged into the page as it is on disk now.
        const PageFile page = LoadPageFile(m_path.toStdString());
        QString why = QString::fromStdString(page.error);
        if (page.ok && size_t(m_image) >= page.page.maps.size())
            why = U("the page no longer has that image");
        if (page.ok && why.isEmpty()) {
            const MergeStatus status =
                MergeMarkup(page.bytes, page.page, size_t(m_image), text, &bytes);
            if (status != MergeStatus::kMerged) why = QString::fromUtf8(MergeStatusText(status));
        }
        if (!why.isEmpty()) {
            Show(U("マップをページ %1 に書き戻せません: %2\n"
                   "「名前を付けてマップを保存」でマップだけを保存できます。")
                     .arg(Native(m_path), why));
            if (!page.ok) m_fromPage = false;  // Save As then writes the markup alone
            return false;
        }
    }
    const QFileInfo info(path);
    const QString error = WriteBytes(path, bytes);
    if (!error.isEmpty()) {
        Show(U("マップを %1 に保存できませんでした: %2").arg(target, error));
        return false;
    }
    m_path = info.absoluteFilePath();
    Document().setModified(false);
    m_recovery.Remove();
    return true;
}

bool CMarkupFile::OnSaveMap() {
    if (m_path.isEmpty()) return OnSaveMapAs();
    return SaveTo(m_path);
}

bool CMarkupFile::OnSaveMapAs() {
    FileRequest request;
    request.title = U("名前を付けてマップを保存");
    request.open = false;
    request.filters = {{U("HTML ファイル"), {QStringLiteral("*.html"), QStringLiteral("*.htm")}}};
    request.defaultSuffix = QStringLiteral("html");
    request.fileName = m_path;
    const FileAnswer answer = Prompts().AskFile(m_app.Frame(), request);
    if (!answer.accepted) return false;
    return SaveTo(answer.path);
}

void CMarkupFile::OnBrowserCheck() {
    const CMapDoc& doc = m_app.Document();
    if (!doc.m_pImage) {
        Show(U("画像が開かれていません。"));
        return;
    }
    const QString picture = QString::fromStdString(doc.GetPathName());
    std::string page;
    if (!MakePreviewPage(QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded).toStdString(),
                         doc.m_pImage->GetWidth(), doc.m_pImage->GetHeight(),
                         m_app.Frame()->Pane().GetWindowText(), &page)) {
        Show(U("マップ (<map> ... </map>) がありません。"));
        return;
    }
    const QString file = QDir::temp().filePath(
        QStringLiteral("zer-evizi-check-%1.html").arg(QCoreApplication::applicationPid()));
    const QString error = WriteBytes(file, page);
    if (!error.isEmpty()) {
        Show(U("確認用のページ %1 を書けませんでした: %2").arg(Native(file), error));
        return;
    }
    if (!Prompts().OpenUrl(QUrl::fromLocalFile(file)))
        Show(U("ブラウザを起動できませんでした。確認用のページ: %1").arg(Native(file)));
}

void CMarkupFile::WriteRecoveryCopy() {
    if (!IsModified() || !m_copyStale) return;
    RecoveryRecord record;
    record.picture = m_app.Document().m_pImage ? m_app.Document().GetPathName() : std::string();
    record.markupFile = m_path.toStdString();
    record.fromPage = m_fromPage;
    record.image = m_image;
    record.text = m_app.Frame()->Pane().GetWindowText();
    if (m_recovery.Write(record)) m_copyStale = false;
}

void CMarkupFile::OfferRecovery() {
    const QStringList orphans = m_recovery.Orphans();
    if (orphans.isEmpty()) return;
    const int answer =
        Prompts().Ask(m_app.Frame(), QStringLiteral("Zer Evizi SEKKA"),
                      U("前回、保存されないまま終わったマップがあります。復元しますか?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    RecoveryRecord record;
    if (!m_recovery.Claim(orphans.constFirst(), &record) || answer != QMessageBox::Yes) return;
    QString why;
    const QString picture = QString::fromStdString(record.picture);
    if (!picture.isEmpty() && !AdoptPicture(picture, &why))
        Show(U("画像 %1 を開けません: %2\nマップだけを復元します。").arg(Native(picture), why));
    m_app.Frame()->Pane().SetWindowText(record.text);
    m_path = QString::fromStdString(record.markupFile);
    m_fromPage = record.fromPage;
    m_image = record.image;
    Document().setModified(true);
    m_copyStale = true;
    WriteRecoveryCopy();  // the copy is this editor's now
}

void CMarkupFile::OnNormalExit() {
    m_timer.stop();
    m_recovery.Remove();
}
