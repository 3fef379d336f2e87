// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/picture_types.h"

#include "image/image_types.h"

namespace {

// Every format opens; the save dialog lists those with a writer.
bool Enabled(const PictureTypeInfo& type, bool open) {
    return open || type.canSave;
}

// Every extension of the listed rows; `otherFirst` puts a row's second
// extension before its first.
QStringList Extensions(bool otherFirst) {
    QStringList result;
    for (const PictureTypeInfo& type : PictureTypes()) {
        QStringList row{QString::fromUtf8(type.extension)};
        if (type.otherExtension) {
            const QString other = QString::fromUtf8(type.otherExtension);
            otherFirst ? row.prepend(other) : row.append(other);
        }
        result += row;
    }
    return result;
}

QStringList Patterns(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& ext : extensions) patterns << QStringLiteral("*.") + ext;
    return patterns;
}

}  // namespace

int PictureTypePosition(int code, bool open) {
    int n = 0;
    for (const PictureTypeInfo& type : PictureTypes()) {
        if (!Enabled(type, open)) continue;
        if (type.code == code) return n;
        ++n;
    }
    return -1;
}

int PictureTypeAt(int n, bool open) {
    if (n < 0) return -1;
    for (const PictureTypeInfo& type : PictureTypes()) {
        if (!Enabled(type, open)) continue;
        if (n-- == 0) return type.code;
    }
    return -1;
}

std::string PictureTypeExtension(int code) {
    const PictureTypeInfo* type = FindPictureType(code);
    return type ? type->extension : std::string();
}

QList<FileFilter> PictureFilters(bool open) {
    QList<FileFilter> filters;
    if (open) {
        // Every extension a picture is opened by, in either case.
        const QStringList patterns = Patterns(Extensions(false));
        QStringList upper;
        for (const QString& pattern : patterns) upper << pattern.toUpper();
        filters.append({QString::fromUtf8("すべての画像(") + patterns.join(QLatin1Char(',')) +
                            QStringLiteral(")"),
                        patterns + upper});
    }
    for (const PictureTypeInfo& type : PictureTypes()) {
        if (!Enabled(type, open)) continue;
        filters.append({QString::fromUtf8(type.filterLabel),
                        {QStringLiteral("*") + QString::fromUtf8(type.extension)}});
    }
    return filters;
}

QList<FileFilter> SaveAsFilters() {
    // The patterns have always listed *.jpeg before *.jpg.
    return {
        {QStringLiteral("(") + Patterns(Extensions(false)).join(QLatin1Char(',')) +
             QStringLiteral(")"),
         Patterns(Extensions(true))},
        {QString::fromUtf8("全てのﾌｧｨﾙ(*.*)"), {QStringLiteral("*.*")}},
    };
}
