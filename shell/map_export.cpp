#include "shell/map_export.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "io/safe_write.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/prompts.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

void ExportMap(CMapApp& app, ResponsiveForm form) {
    CMainFrame* frame = app.Frame();
    const CMapDoc& doc = app.Document();
    const QString title = U("書き出し");
    if (!doc.m_pImage) {
        Prompts().ShowMessage(frame, title, U("画像が開かれていません。"));
        return;
    }
    std::string markup;
    if (!MakeResponsiveMarkup(frame->Pane().GetWindowText(),
                              {doc.m_pImage->GetWidth(), doc.m_pImage->GetHeight()}, form,
                              &markup)) {
        Prompts().ShowMessage(frame, title,
                              U("usemap のある画像のタグと、そのマップ (<map> ... </map>) "
                                "がありません。"));
        return;
    }
    const QString picture = QString::fromStdString(doc.GetPathName());
    FileRequest request;
    request.title = title;
    request.open = false;
    request.filters = {{U("HTML ファイル (*.html)"), {QStringLiteral("*.html")}}};
    request.defaultSuffix = QStringLiteral("html");
    request.fileName = QFileInfo(picture).completeBaseName() +
                       (form == ResponsiveForm::kSvg ? QStringLiteral("-svg.html")
                                                     : QStringLiteral("-scaling.html"));
    request.directory = StartFolderFor(picture);
    const FileAnswer answer = Prompts().AskFile(frame, request);
    if (!answer.accepted || answer.path.isEmpty()) return;
    const ze::WriteError error =
        ze::WriteFileSafely(answer.path.toStdString(), [&markup](std::FILE* f) {
            return std::fwrite(markup.data(), 1, markup.size(), f) == markup.size();
        });
    if (error != ze::WriteError::kNone)
        Prompts().ShowMessage(frame, title,
                              U("%1 を書けませんでした: %2")
                                  .arg(QDir::toNativeSeparators(answer.path),
                                       QString::fromUtf8(ze::WriteErrorText(error))));
}
