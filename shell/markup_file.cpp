// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/markup_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "document/page_file.h"
#include "document/picture_type.h"
#include "document/settings.h"
#include "io/safe_write.h"
#include "markup/link_path.h"
#include "markup/map_check.h"
#include "markup/preview_page.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/prompts.h"
#include "shell/window_text.h"
#include "store/page_source.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Empty when written, else why not.
QString WriteBytes(const QString& path, const std::string& bytes) {
    const ze::Status error = ze::WriteFileSafely(path.toStdString(), [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    });
    return error == ze::StatusCode::kOk ? QString() : WindowText(error);
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

void CMarkupFile::ShowPageInTitle() const {
    if (CMainFrame* frame = m_app.Frame())
        frame->SetPageName(m_fromPage ? QFileInfo(m_path).fileName() : QString());
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
    m_page = {};
    Document().setModified(false);
    m_recovery.Remove();
    ShowPageInTitle();
}

bool CMarkupFile::AdoptPicture(const QString& path, QString* why) {
    const int type = PictureTypeFromPath(path.toStdString());
    const QFileInfo info(path);
    ze::Status failure;
    std::unique_ptr<CImage> image;
    if (type < 0) {
        failure = ze::UnknownPictureType();
    } else if (info.exists() && !info.isFile() && !info.isDir()) {
        failure = ze::StatusCode::kNotRegular;  // a FIFO would hold the window
    } else {
        image = LoadPicture(path.toStdString(), type, &failure, GetFullColourSetting());
    }
    if (!image) {
        *why = QString::fromStdString(ze::StatusText(failure, ze::TextLanguage::kJapanese));
        return false;
    }
    m_app.CancelOpen();  // a picture still being read must not replace this one
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
    return OpenPageAt(path, nullptr);
}

QString CMarkupFile::MapChoice(const PageImageMap& map) {
    return U("%1 行: %2 (#%3)")
        .arg(map.line)
        .arg(QString::fromStdString(map.source), QString::fromStdString(map.mapName));
}

bool CMarkupFile::OpenPageAt(const QString& path, const PageSnapshot* ours) {
    const QString file = Native(path);
    const PageFile page = LoadPageFile(path.toStdString());
    if (!page.ok) {
        const QString reason = page.page.status == ze::StatusCode::kNoImageMap
                                   ? U("このページにはイメージマップ (<img usemap> と <map>) "
                                       "がありません。")
                                   : WindowText(page.error);
        Show(U("%1 を開けません。\n%2").arg(file, reason));
        return false;
    }
    int index = 0;
    if (ours && page.page.maps.size() > 1) {
        const PageSavePlan plan = PlanPageSave(page.bytes, page.page, *ours);
        if (plan.status != ze::StatusCode::kMapNotFound &&
            plan.status != ze::StatusCode::kMapSeveral)
            index = int(plan.index);
        else
            ours = nullptr;
    }
    if (!ours && page.page.maps.size() > 1) {
        QStringList items;
        for (const PageImageMap& map : page.page.maps) items << MapChoice(map);
        index = Prompts().Choose(m_app.Frame(), U("マップを開く"),
                                 U("このページには画像とマップが複数あります。どれを開きますか?"),
                                 items);
        if (index < 0 || index >= items.size()) return false;
    }
    // The pane takes only what a person edits; a larger map is refused
    // before the picture is replaced.
    const ze::Status fits = CheckPaneBounds(page.bytes, page.page, size_t(index));
    if (fits != ze::StatusCode::kOk) {
        Show(U("%1 を開けません。\n%2")
                 .arg(file, fits == ze::StatusCode::kPaneLineTooLong
                                ? U("画像のタグかマップに 16 KB を超える行があります。")
                                : U("画像のタグとマップが 1 MB か 25,000 行を超えています。")));
        return false;
    }
    const PageImageMap& map = page.page.maps[size_t(index)];
    const QString source = QString::fromStdString(map.source);
    if (source.trimmed().isEmpty()) {
        Show(U("%1 の画像には src がありません。").arg(file));
        return false;
    }
    const QString picture = ResolvePagePicture(path, source);
    QString why;
    if (picture.isEmpty()) {
        Show(U("%1 の画像 \"%2\" はこのコンピューター上のファイルではありません。")
                 .arg(file, source));
        return false;
    }
    m_app.HoldRecent(true);
    const bool adopted = AdoptPicture(picture, &why);
    m_app.HoldRecent(false);
    if (!adopted) {
        Show(U("%1 の画像 %2 を開けません: %3").arg(file, Native(picture), why));
        return false;
    }
    m_app.Frame()->Pane().SetWindowText(ExtractMarkup(page.bytes, page.page, size_t(index)));
    m_path = QFileInfo(path).absoluteFilePath();
    m_imageLine = map.line;
    m_mapLine = 1 + int(std::count(page.bytes.begin(), page.bytes.begin() + map.map.begin, '\n'));
    m_fromPage = true;
    m_image = index;
    m_page = TakePageSnapshot(page.bytes, page.page, size_t(index));
    m_app.AddRecent(Native(m_path));
    ShowPageInTitle();
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

void CMarkupFile::OnSwitchMap() {
    if (!m_fromPage) {
        Show(U("ページから開いたマップではありません。「マップを開く」でページを開いてください。"));
        return;
    }
    if (!MaybeSave()) return;
    const PageFile page = LoadPageFile(m_path.toStdString());
    if (!page.ok || page.page.maps.size() < 2) {
        Show(U("ページ %1 にはほかの画像とマップがありません。").arg(Native(m_path)));
        return;
    }
    // The map open now, found again by what it is.
    int current = -1;
    const PageSavePlan plan = PlanPageSave(page.bytes, page.page, m_page);
    if (m_page.known && plan.status == ze::StatusCode::kOk) current = int(plan.index);
    QStringList items;
    for (size_t i = 0; i < page.page.maps.size(); ++i)
        items << MapChoice(page.page.maps[i]) +
                     (int(i) == current ? U(" (開いているマップ)") : QString());
    const int index =
        Prompts().Choose(m_app.Frame(), U("別のマップ"), U("どのマップを開きますか?"), items);
    if (index < 0 || index >= items.size() || (index == current && !IsModified())) return;
    // Found again by what it is: the page may change while the user chooses.
    const PageSnapshot chosen = TakePageSnapshot(page.bytes, page.page, size_t(index));
    OpenPageAt(m_path, &chosen);
}

int CMarkupFile::AskAboutChangedPage(const ze::Status& status, const PageSnapshot& ours) const {
    const QString what =
        U("画像 \"%1\" とマップ \"%2\"")
            .arg(QString::fromStdString(ours.source), QString::fromStdString(ours.mapName));
    QString text =
        U("ページ %1 はこのマップを開いた (または保存した) 後でほかのプログラムに"
          "変更され、");
    switch (status.code) {
        case ze::StatusCode::kOursChanged:
            text += U("%2 も書き換えられています。");
            break;
        case ze::StatusCode::kMapSeveral:
            text += U("%2 が複数あります。どれに書き戻すか決められません。");
            break;
        case ze::StatusCode::kUnknownOrigin:
            text = U("ページ %1 の %2 が、このマップを読んだ時のままかどうか分かりません。");
            break;
        default:
            text += U("%2 が見つかりません。");
            break;
    }
    text = text.arg(Native(m_path), what) +
           U("\n\n上書き: このマップで置き換えます (ページ側の変更は失われます)。"
             "\n読み直す: ページを開き直します (このマップの変更は失われます)。"
             "\nキャンセル: 保存しません。");
    return Prompts().AskChoice(m_app.Frame(), U("マップを保存"), text,
                               {U("上書き"), U("読み直す"), U("キャンセル")}, 2);
}

bool CMarkupFile::MergeIntoPage(const std::string& text, std::string* bytes,
                                PageSnapshot* written) {
    const PageSnapshot ours = m_page.known ? m_page : PaneIdentity(text);
    // Read again after the question: the page may have changed meanwhile.
    for (bool overwrite = false;; overwrite = true) {
        const PageFile page = LoadPageFile(m_path.toStdString());
        QString why = page.ok ? QString() : WindowText(page.error);
        PageSavePlan plan;
        if (page.ok) {
            plan = PlanPageSave(page.bytes, page.page, ours);
            if (plan.status != ze::StatusCode::kOk && !overwrite) {
                const int answer = AskAboutChangedPage(plan.status, ours);
                if (answer == 1) OpenPageAt(m_path, &ours);
                if (answer != 0) return false;
                continue;
            }
            if (plan.status == ze::StatusCode::kMapNotFound)
                why = U("置き換える画像 \"%1\" とマップ \"%2\" がありません")
                          .arg(QString::fromStdString(ours.source),
                               QString::fromStdString(ours.mapName));
        }
        if (why.isEmpty()) {
            const ze::Status status = MergeMarkup(page.bytes, page.page, plan.index, text, bytes);
            if (status != ze::StatusCode::kOk) why = WindowText(status);
        }
        if (!why.isEmpty()) {
            Show(U("マップをページ %1 に書き戻せません: %2\n"
                   "「名前を付けてマップを保存」でマップだけを保存できます。")
                     .arg(Native(m_path), why));
            if (!page.ok) m_fromPage = false;  // Save As then writes the markup alone
            ShowPageInTitle();
            return false;
        }
        *written = SnapshotAfterMerge(page.bytes, page.page, plan.index, *bytes);
        return true;
    }
}

bool CMarkupFile::SourceMovedTo(const QString& path, const std::string& text, TextEdit* edit,
                                QString* source) const {
    const CMapDoc& doc = m_app.Document();
    std::string current;
    if (!doc.m_pImage || !PaneImageSource(text, &current)) return false;
    const QString picture = QDir::cleanPath(QString::fromStdString(doc.GetPathName()));
    const QString src = QString::fromStdString(current).trimmed();
    // Only a relative path that found the picture from where the markup
    // stood (its file; before the first save the picture's folder, or the
    // base folder it was made for) and would not from `path` is changed.
    if (src.isEmpty() || src.startsWith(QLatin1Char('/')) || src.startsWith(QLatin1Char('\\')) ||
        !QUrl(src).isRelative() || ResolvePageSource(path, src) == picture)
        return false;
    QStringList before{m_path.isEmpty() ? picture : m_path};
    const QString base = QString::fromStdString(GetBaseDirSetting());
    if (m_path.isEmpty() && !base.isEmpty()) before << QDir(base).filePath(QStringLiteral("x"));
    if (std::none_of(before.begin(), before.end(),
                     [&](const QString& at) { return ResolvePageSource(at, src) == picture; }))
        return false;
    const QString folder = QFileInfo(path).absolutePath();
    *source = QString::fromStdString(
        LinkTextForPath(Native(folder).toStdString(), Native(picture).toStdString()));
    return *source != src && ImageSourceEdit(text, source->toStdString(), edit);
}

bool CMarkupFile::SaveTo(const QString& path) {
    const QString target = Native(path);
    MarkupPane& pane = m_app.Frame()->Pane();
    const std::string text = pane.GetWindowText();
    std::string bytes = text;
    PageSnapshot written;
    TextEdit moved;
    QString movedSource;
    if (m_fromPage) {
        if (!MergeIntoPage(text, &bytes, &written)) return false;
    } else if (QFileInfo(path).absoluteFilePath() != m_path &&
               SourceMovedTo(path, text, &moved, &movedSource)) {
        bytes = ApplyEdit(text, moved);
    }
    const QFileInfo info(path);
    const QString error = WriteBytes(path, bytes);
    if (!error.isEmpty()) {
        Show(U("マップを %1 に保存できませんでした: %2").arg(target, error));
        return false;
    }
    if (!movedSource.isEmpty()) {
        pane.ApplyEdit(moved);  // the pane says what the file says, one step for undo
        m_app.Frame()->StatusBar().showMessage(
            U("画像の src を保存先のフォルダーから見た \"%1\" に書き換えました。")
                .arg(movedSource));
    }
    m_path = info.absoluteFilePath();
    m_app.AddRecent(Native(m_path));
    m_page = written;
    if (written.known) m_image = int(written.index);
    ShowPageInTitle();
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
    const QString picture = QString::fromStdString(m_app.Document().GetPathName());
    if (m_path.isEmpty() && m_app.Document().m_pImage) {
        // The first save: beside the picture, named after it, where its src
        // needs no change.
        request.directory = StartFolderFor(picture);
        request.fileName =
            QDir(request.directory)
                .filePath(QFileInfo(picture).completeBaseName() + QStringLiteral(".html"));
    }
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
    std::string written;
    const ze::Status error = ze::WritePrivateFile(
        "zer-evizi-check-" + std::to_string(QCoreApplication::applicationPid()) + ".html", page,
        &written);
    const QString file = QString::fromStdString(written);
    if (error != ze::StatusCode::kOk) {
        Show(U("確認用のページ %1 を書けませんでした: %2").arg(Native(file), WindowText(error)));
        return;
    }
    Prompts().OpenUrl(QUrl::fromLocalFile(file), [self = QPointer<CMarkupFile>(this),
                                                  file](const QString& why) {
        if (self)
            self->Show(
                U("ブラウザを起動できませんでした: %1\n確認用のページ: %2").arg(why, Native(file)));
    });
}

void CMarkupFile::WriteRecoveryCopy() {
    if (!IsModified() || !m_copyStale) return;
    RecoveryRecord record;
    record.picture = m_app.Document().m_pImage ? m_app.Document().GetPathName() : std::string();
    record.markupFile = m_path.toStdString();
    record.fromPage = m_fromPage;
    record.image = m_image;
    record.text = m_app.Frame()->Pane().GetWindowText();
    QString why;
    QStatusBar& bar = m_app.Frame()->StatusBar();
    if (m_recovery.Write(record, &why)) {
        m_copyStale = false;
        if (!m_copyFailure.isEmpty() && bar.currentMessage() == m_copyFailure) bar.clearMessage();
        m_copyFailure.clear();
        return;
    }
    // Said once; the copy is tried again at every tick all the same.
    if (!m_copyFailure.isEmpty()) return;
    m_copyFailure = U("復元用のコピーを %1 に書けません: %2").arg(Native(m_recovery.Folder()), why);
    bar.showMessage(m_copyFailure);
}

void CMarkupFile::Restore(const RecoveryRecord& record) {
    QString why;
    const QString picture = QString::fromStdString(record.picture);
    if (!picture.isEmpty() && !AdoptPicture(picture, &why))
        Show(U("画像 %1 を開けません: %2\nマップだけを復元します。").arg(Native(picture), why));
    m_app.Frame()->Pane().SetWindowText(record.text);
    m_path = QString::fromStdString(record.markupFile);
    m_fromPage = record.fromPage;
    m_image = record.image;
    m_page = {};  // the page may have changed since: asked about at the first save
    ShowPageInTitle();
    Document().setModified(true);
    m_copyStale = true;
    WriteRecoveryCopy();  // the copy is this editor's now
}

void CMarkupFile::OfferRecovery() {
    QStringList files, unreadable;
    std::vector<RecoveryRecord> records;
    for (const QString& file : m_recovery.Orphans()) {
        RecoveryRecord record;
        QString why;
        const CRecovery::Claim claim = m_recovery.ClaimOrphan(file, &record, &why);
        if (claim == CRecovery::Claim::kUnreadable)
            unreadable << U("%1: %2").arg(Native(file), why);
        if (claim != CRecovery::Claim::kTaken) continue;
        files << file;
        records.push_back(std::move(record));
    }
    if (!unreadable.isEmpty())
        Show(U("保存されないまま終わったマップの復元用コピーを読めません。"
               "コピーはそのまま残します。\n\n%1")
                 .arg(unreadable.join(QLatin1Char('\n'))));
    enum { kRestore, kDiscard, kLater };
    const auto ask = [this](const QString& file, const RecoveryRecord& record) {
        const QString picture = QString::fromStdString(record.picture);
        return Prompts().AskChoice(
            m_app.Frame(), QStringLiteral("Zer Evizi SEKKA"),
            U("前回、保存されないまま終わったマップがあります (%1、画像: %2)。\n\n"
              "復元: マップを開きます。\n破棄: コピーを削除します。\n"
              "後で: コピーを残し、次に起動したときにまた尋ねます。")
                .arg(QFileInfo(file).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                     picture.isEmpty() ? U("なし") : Native(picture)),
            {U("復元"), U("破棄"), U("後で")});
    };
    bool asking = true;  // until one is restored or kept for later
    for (size_t i = 0; i < records.size(); ++i) {
        const QString& file = files[qsizetype(i)];
        const int answer = asking ? ask(file, records[i]) : int(kLater);
        if (answer == kRestore) {
            Restore(records[i]);
            // Removed only once this editor's own copy holds the markup.
            if (!m_copyStale) m_recovery.Discard(file);
        } else if (answer == kDiscard) {
            m_recovery.Discard(file);
        }
        m_recovery.Release(file);
        asking = answer == kDiscard;
    }
}

void CMarkupFile::OnNormalExit() {
    m_timer.stop();
    m_recovery.Remove();
}

int CMarkupFile::PageLine(int paneLine, std::string_view paneText) const {
    ImageMapSpan span;
    if (!m_fromPage || !FindFirstImageMap(paneText, &span)) return paneLine;
    const int mapPaneLine =
        1 + int(std::count(paneText.begin(), paneText.begin() + span.mapBegin, '\n'));
    return paneLine < mapPaneLine ? m_imageLine + paneLine - 1 : m_mapLine + paneLine - mapPaneLine;
}

QString CMarkupFile::ResolvePagePicture(const QString& pagePath, const QString& source) const {
    const QString src = source.trimmed();
    if (!IsFromSiteRoot(src)) return ResolvePageSource(pagePath, src);
    // From the site's folder: the one chosen before, or asked for when the
    // picture is not there.
    const QString path = SiteRootPath(src);
    QString root = QString::fromStdString(GetSiteRootSetting());
    if (root.isEmpty() || !QFileInfo::exists(root + path)) {
        root = Prompts().AskFolder(
            m_app.Frame(),
            U("サイトのフォルダー: 画像 \"%1\" はサイトのルートからのパスです").arg(src),
            root.isEmpty() ? QFileInfo(pagePath).absolutePath() : root);
        if (root.isEmpty()) return QDir::cleanPath(path);
        SetSiteRootSetting(QDir::cleanPath(root).toStdString());
    }
    return QDir::cleanPath(root + path);
}
