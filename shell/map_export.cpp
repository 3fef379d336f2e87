// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/map_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <cstdio>

#include "io/safe_write.h"
#include "markup/preview_page.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/markup_file.h"
#include "shell/prompts.h"
#include "shell/window_text.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}

// Whether a picture is open; says so when not.
bool HavePicture(CMapApp& app, const QString& title) {
    if (app.Document().m_pImage) return true;
    Prompts().ShowMessage(app.Frame(), title, U("画像が開かれていません。"));
    return false;
}

void NoImageMap(CMainFrame* frame, const QString& title) {
    Prompts().ShowMessage(frame, title,
                          U("usemap のある画像のタグと、そのマップ (<map> ... </map>) "
                            "がありません。"));
}

// The pane's image and map in `form`, its src `source` when given; says why
// when there are none.
bool MarkupOf(CMapApp& app, ResponsiveForm form, const QString& title, std::string* markup,
              const std::string* source = nullptr) {
    if (!HavePicture(app, title)) return false;
    const CImage& picture = *app.Document().m_pImage;
    if (MakeResponsiveMarkup(app.Frame()->Pane().GetWindowText(),
                             {picture.GetWidth(), picture.GetHeight()}, form, markup, source))
        return true;
    NoImageMap(app.Frame(), title);
    return false;
}
}  // namespace

void PreviewScaled(CMapApp& app) {
    CMainFrame* frame = app.Frame();
    const CMapDoc& doc = app.Document();
    const QString title = U("伸縮を確認");
    if (!HavePicture(app, title)) return;
    const int form =
        Prompts().Choose(frame, title, U("形式:"), {U("SVG 重ね合わせ"), U("伸縮するマップ")});
    if (form < 0 || form > 1) return;
    QStringList widths;
    for (const int percent : kPreviewWidths) widths << U("画像の幅の %1 %").arg(percent);
    const int width = Prompts().Choose(frame, title, U("表示する幅:"), widths);
    if (width < 0 || width >= widths.size()) return;
    const PictureSize picture{doc.m_pImage->GetWidth(), doc.m_pImage->GetHeight()};
    const std::string url = QUrl::fromLocalFile(QString::fromStdString(doc.GetPathName()))
                                .toString(QUrl::FullyEncoded)
                                .toStdString();
    std::string page;
    if (!MakeScaledPreviewPage(url, picture, app.Frame()->Pane().GetWindowText(),
                               static_cast<ResponsiveForm>(form), kPreviewWidths[width], &page)) {
        NoImageMap(frame, title);
        return;
    }
    std::string written;
    const ze::Status error = ze::WritePrivateFile(
        "zer-evizi-scaled-" + std::to_string(QCoreApplication::applicationPid()) + ".html", page,
        &written);
    const QString file = QDir::toNativeSeparators(QString::fromStdString(written));
    if (error != ze::StatusCode::kOk) {
        Prompts().ShowMessage(
            frame, title,
            U("確認用のページ %1 を書けませんでした: %2").arg(file, WindowText(error)));
        return;
    }
    Prompts().OpenUrl(
        QUrl::fromLocalFile(QString::fromStdString(written)),
        [frame = QPointer<CMainFrame>(frame), file, title](const QString& why) {
            if (frame)
                Prompts().ShowMessage(
                    frame, title,
                    U("ブラウザを起動できませんでした: %1\n確認用のページ: %2").arg(why, file));
        });
}

void ExportMap(CMapApp& app, ResponsiveForm form) {
    CMainFrame* frame = app.Frame();
    const CMapDoc& doc = app.Document();
    const QString title = U("書き出し");
    std::string markup;
    if (!MarkupOf(app, form, title, &markup)) return;
    const QString picture = QString::fromStdString(doc.GetPathName());
    FileRequest request;
    request.title = title;
    request.open = false;
    request.filters = {{U("HTML ファイル (*.html)"), {QStringLiteral("*.html")}}};
    request.defaultSuffix = QStringLiteral("html");
    request.fileName = QFileInfo(picture).completeBaseName() +
                       (form == ResponsiveForm::kSvg ? QStringLiteral("-svg.html")
                                                     : QStringLiteral("-scaling.html"));
    // A map from a page starts in the page's folder, where its src is
    // relative to; saved in another folder, src names the picture from there.
    const CMarkupFile* page = app.Markup();
    const QString start =
        page && page->FromPage() ? QFileInfo(page->Path()).absolutePath() : StartFolderFor(picture);
    request.directory = start;
    const FileAnswer answer = Prompts().AskFile(frame, request);
    if (!answer.accepted || answer.path.isEmpty()) return;
    const QString chosen = QFileInfo(answer.path).absolutePath();
    if (QDir(chosen) != QDir(start)) {
        const std::string source =
            QDir::fromNativeSeparators(QDir(chosen).relativeFilePath(picture)).toStdString();
        if (!MarkupOf(app, form, title, &markup, &source)) return;
    }
    const ze::Status error =
        ze::WriteFileSafely(answer.path.toStdString(), [&markup](std::FILE* f) {
            return std::fwrite(markup.data(), 1, markup.size(), f) == markup.size();
        });
    if (error != ze::StatusCode::kOk)
        Prompts().ShowMessage(frame, title,
                              U("%1 を書けませんでした: %2")
                                  .arg(QDir::toNativeSeparators(answer.path), WindowText(error)));
}
