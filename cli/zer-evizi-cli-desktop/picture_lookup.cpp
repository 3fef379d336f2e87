// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_lookup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <filesystem>
#include <system_error>

#include "document/picture_type.h"
#include "image/picture_size.h"
#include "image/read_error.h"
#include "io/safe_write.h"
#include "store/page_source.h"

namespace cli {

namespace {

// The size of the picture in the file at `path`, or why there is none. Only
// a regular file is opened: a FIFO or a device planted there would block.
PictureLookup ReadPicture(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || status.type() == std::filesystem::file_type::not_found)
        return {{}, "was not found (" + path + ")"};
    if (status.type() != std::filesystem::file_type::regular)
        return {{}, "is not a regular file (" + path + ")"};
    const int type = PictureTypeFromPath(path);
    if (type < 0) return {{}, "is of a type that cannot be read (" + path + ")"};
    // The size is all that is wanted: the file is read as far as its header.
    const ze::HeaderSize picture = ze::ReadPictureSize(path, type);
    if (!picture.failure.ok())
        return {{},
                "cannot be read (" + path + ": " +
                    ze::StatusText(picture.failure, ze::TextLanguage::kEnglish) + ")"};
    return {{picture.width, picture.height}, {}};
}

// A data: URL's picture, read through a private file named for its type.
PictureLookup ReadDataPicture(const QString& url) {
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (comma < 0) return {{}, "is a data: URL without data"};
    const QString header = url.mid(5, comma - 5).trimmed().toLower();
    const bool base64 = header.endsWith(QStringLiteral(";base64"));
    const QString mime = header.section(QLatin1Char(';'), 0, 0);
    const QString extension = mime.startsWith(QStringLiteral("image/")) ? mime.mid(6) : QString();
    const std::string name = "data." + extension.toStdString();
    if (extension.isEmpty() || PictureTypeFromPath(name) < 0)
        return {{}, "is a data: URL of type \"" + mime.toStdString() + "\", which cannot be read"};
    const QByteArray raw = QByteArray::fromPercentEncoding(url.mid(comma + 1).toUtf8());
    const QByteArray bytes = base64 ? QByteArray::fromBase64(raw) : raw;
    static std::atomic<int> counter{0};
    std::string written;
    const std::string file = "zer-evizi-cli-" + std::to_string(QCoreApplication::applicationPid()) +
                             "-" + std::to_string(counter++) + "." + extension.toStdString();
    if (ze::WritePrivateFile(file, bytes.toStdString(), &written) != ze::StatusCode::kOk)
        return {{}, "is a data: URL that could not be written to a private file"};
    PictureLookup lookup = ReadPicture(written);
    std::filesystem::remove(written);
    if (!lookup.missing.empty()) lookup.missing = "is a data: URL whose picture cannot be read";
    return lookup;
}

}  // namespace

bool CPictureCache::Find(const std::string& path, PictureLookup* out) {
    const std::lock_guard lock(m_mutex);
    const auto found = m_read.find(path);
    if (found == m_read.end()) return false;
    *out = found->second;
    return true;
}

void CPictureCache::Store(const std::string& path, const PictureLookup& lookup) {
    const std::lock_guard lock(m_mutex);
    m_read.emplace(path, lookup);
}

std::string ResolvePictureSource(const std::string& page, const std::string& source,
                                 const std::string& root, std::string* why) {
    const QString src = QString::fromStdString(source);
    if (IsFromSiteRoot(src)) {
        if (root.empty()) {
            *why = "is a path from the site's root folder, which --root gives";
            return {};
        }
        return QDir::cleanPath(QFileInfo(QString::fromStdString(root)).absoluteFilePath() +
                               SiteRootPath(src))
            .toStdString();
    }
    const QString base =
        page == "-" ? QDir::currentPath() + QStringLiteral("/-") : QString::fromStdString(page);
    QString url;
    const QString path = ResolvePageSource(base, src, &url);
    if (path.isEmpty()) *why = "is not a local file (" + url.toStdString() + ") and is not fetched";
    return path.toStdString();
}

PictureLookup LookUpPicture(const std::string& page, const std::string& source,
                            const std::string& root, CPictureCache* cache) {
    const QString src = QString::fromStdString(source).trimmed();
    // No src at all is the checker's own finding.
    if (src.isEmpty()) return {};
    if (src.startsWith(QStringLiteral("data:"), Qt::CaseInsensitive)) return ReadDataPicture(src);
    std::string why;
    const std::string path = ResolvePictureSource(page, source, root, &why);
    if (path.empty()) return {{}, why};
    return LookUpPictureFile(path, cache);
}

PictureLookup LookUpPictureFile(const std::string& path, CPictureCache* cache) {
    PictureLookup lookup;
    if (cache && cache->Find(path, &lookup)) return lookup;
    lookup = ReadPicture(path);
    if (cache) cache->Store(path, lookup);
    return lookup;
}

}  // namespace cli
