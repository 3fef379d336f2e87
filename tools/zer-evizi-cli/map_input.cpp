// SPDX-License-Identifier: GPL-3.0-or-later
#include "map_input.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>
#include <map>

#include "doc/page_file.h"
#include "doc/picture_type.h"
#include "image/image.h"
#include "io/messages.h"
#include "markup/text_encoding.h"

namespace cli {

namespace {

int Unreadable(const std::string& message) {
    Fail(message);
    return kUsageError;
}

// The picture that `source` names, as a browser resolves it against the
// page (percent escapes decoded, query and fragment dropped); empty when it
// is not a local file. The pane's text resolves against the current folder.
std::string ResolveSource(const std::string& page, const std::string& source) {
    const QString base = page == "-" ? QDir::currentPath() + QStringLiteral("/-")
                                     : QFileInfo(QString::fromStdString(page)).absoluteFilePath();
    const QUrl url =
        QUrl::fromLocalFile(base).resolved(QUrl(QString::fromStdString(source).trimmed()));
    if (!url.isLocalFile()) return {};
    return QDir::cleanPath(url.toLocalFile()).toStdString();
}

}  // namespace

bool TakeMapArg(const Args& args, size_t* i, MapInput* input) {
    const std::string& arg = args[*i];
    if (arg == "--picture" && input->picture.empty() && *i + 1 < args.size() &&
        !args[*i + 1].empty()) {
        input->picture = args[++*i];
        return true;
    }
    if (input->name.empty() && !arg.empty() && (arg == "-" || arg[0] != '-')) {
        input->name = arg;
        return true;
    }
    return false;
}

int ReadMapInput(MapInput* input) {
    if (input->name == "-") {
        input->text = ReadAllStdin();
        return kOk;
    }
    PageFile file = LoadPageFile(input->name);
    const PageStatus status = file.page.status;
    if (file.bytes.empty() && !file.error.empty())
        return Unreadable("cannot open " + input->name + ": " + file.error);
    if (status != PageStatus::kOk && status != PageStatus::kNoImageMap)
        return Unreadable("cannot open " + input->name + ": " + PageStatusText(status));
    const std::string_view body = std::string_view(file.bytes).substr(file.page.bomLength);
    if (file.page.encoding == PageEncoding::kUtf8)
        input->text = std::string(body);
    else
        input->text = ze::DecodeCodePage(body, file.page.encoding);
    return kOk;
}

int ReadPictureSizes(const MapInput& input, std::vector<PictureSize>* sizes) {
    std::map<std::string, PictureSize> read;
    for (const MapImage& image : ListMapImages(input.text)) {
        const std::string path =
            input.picture.empty() ? ResolveSource(input.name, image.source) : input.picture;
        if (path.empty()) {
            std::fprintf(stderr,
                         "zer-evizi-cli: the picture of the image at line %d is not a local file; "
                         "its map is checked without it\n",
                         image.line);
            sizes->push_back({});
            continue;
        }
        auto found = read.find(path);
        if (found == read.end()) {
            const int type = PictureTypeFromPath(path);
            if (type < 0) return Unreadable("cannot open " + path + " as a picture");
            CImage picture(path, type);
            if (picture.GetWidth() <= 0 || picture.GetHeight() <= 0) {
                FailRead(path, picture.GetReadFailure());
                return kUsageError;
            }
            found = read.emplace(path, PictureSize{picture.GetWidth(), picture.GetHeight()}).first;
        }
        sizes->push_back(found->second);
    }
    return kOk;
}

}  // namespace cli
