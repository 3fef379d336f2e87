// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/picture_saved.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStatusBar>

#include "document/map_doc.h"
#include "document/page_save.h"
#include "document/picture_source.h"
#include "document/picture_type.h"
#include "document/settings.h"
#include "image/image_types.h"
#include "image/read_error.h"
#include "shell/main_frame.h"
#include "shell/prompts.h"

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QString FormatName(int type) {
    return QString::fromUtf8(PictureTypeName(type));
}

}  // namespace

QString SavedPictureMessage(const QString& path, int type, qint64 bytes) {
    return U("%1 を %2 で保存しました (%3 バイト)。")
        .arg(QFileInfo(path).fileName(), FormatName(type), QLocale(QLocale::C).toString(bytes));
}

void AfterPictureSaved(CMainFrame& frame, const CMapDoc& doc, const QString& path, int type) {
    frame.StatusBar().showMessage(SavedPictureMessage(path, type, QFileInfo(path).size()));
    if (type == PictureTypeFromPath(doc.GetPathName())) return;
    MarkupPane& pane = frame.Pane();
    const std::string text = pane.GetWindowText();
    std::string current;
    if (!PaneImageSource(text, &current)) return;
    const std::string source =
        SavedPictureSource(current, doc.GetPathName(), QDir::toNativeSeparators(path).toStdString(),
                           GetBaseDirSetting());
    TextEdit edit;
    if (source == current || !ImageSourceEdit(text, source, &edit)) return;
    const QString question =
        U("画像を %1 形式で保存しました。イメージタグの src を \"%2\" に書き換えますか?")
            .arg(FormatName(type), QString::fromStdString(source));
    const int answer = Prompts().Ask(&frame, QStringLiteral("Zer Evizi SEKKA"), question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) pane.ApplyEdit(edit);
}
