#include "shell/picture_types.h"

const std::array<PictureType, 4> g_pictureTypes{{
    {2, true, false, "GIFﾌｧｲﾙ(*.gif)", "gif"},
    {1, true, true, "JPEGﾌｧｲﾙ(*.jpg)", "jpg"},
    {4, true, true, "PNGﾌｧｲﾙ(*.png)", "png"},
    {0, true, true, "BMPﾌｧｲﾙ(*.bmp)", "bmp"},
}};

namespace {
bool Enabled(const PictureType& type, bool open) {
    return open ? type.canOpen : type.canSave;
}
}  // namespace

int PictureTypePosition(int code, bool open) {
    int n = 0;
    for (const PictureType& type : g_pictureTypes) {
        if (!Enabled(type, open)) continue;
        if (type.code == code) return n;
        ++n;
    }
    return -1;
}

int PictureTypeAt(int n, bool open) {
    if (n < 0) return -1;
    for (const PictureType& type : g_pictureTypes) {
        if (!Enabled(type, open)) continue;
        if (n-- == 0) return type.code;
    }
    return -1;
}

std::string PictureTypeExtension(int code) {
    for (const PictureType& type : g_pictureTypes) {
        if (type.code == code) return type.extension;
    }
    return {};
}

bool PictureTypeCanSave(int code) {
    for (const PictureType& type : g_pictureTypes) {
        if (type.code == code) return type.canSave;
    }
    return false;
}

QList<FileFilter> PictureFilters(bool open) {
    QList<FileFilter> filters;
    if (open) {
        // Every extension a picture is opened by, in either case.
        QStringList patterns;
        for (const char* ext : {"gif", "jpg", "jpeg", "png", "bmp"})
            patterns << QStringLiteral("*.") + QString::fromUtf8(ext);
        QStringList upper;
        for (const QString& pattern : patterns) upper << pattern.toUpper();
        filters.append({QString::fromUtf8("すべての画像(") + patterns.join(QLatin1Char(',')) +
                            QStringLiteral(")"),
                        patterns + upper});
    }
    for (const PictureType& type : g_pictureTypes) {
        if (!Enabled(type, open)) continue;
        filters.append({QString::fromUtf8(type.description),
                        {QStringLiteral("*") + QString::fromUtf8(type.extension)}});
    }
    return filters;
}
