#include "markup/map_doc.h"

#include <utility>

#include "markup/area_markup.h"
#include "markup/link_path.h"
#include "markup/settings.h"

namespace {

// The document's extension table: the text after the last "." anywhere in
// the path, lower-cased; -1 when there is none or it is not listed.
int PictureTypeFromPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return -1;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ext == "jpg" || ext == "jpeg") return kImageJpeg;
    if (ext == "gif") return kImageGif;
    if (ext == "png") return kImagePng;
    if (ext == "bmp") return kImageBmp;
    return -1;
}

}  // namespace

std::string FormatImageLine(const std::string& source, int width, int height,
                            const std::string& mapName) {
    return "<img src=\"" + source + "\" width=" + std::to_string(width) +
           " height=" + std::to_string(height) + " usemap=\"#map_" + mapName + "\">\r\n";
}

std::string FormatMapLines(const std::string& mapName) {
    return "<map name=\"map_" + mapName + "\">\r\n</map>";
}

void WriteSkeleton(MarkupPane& pane, const std::string& source, int width, int height,
                   const std::string& mapName) {
    pane.SetWindowText("");
    bool insideQuotes = false;
    std::string line = FormatImageLine(source, width, height, mapName);
    if (GetTagSetting() != 0) line = UpperCaseOutsideQuotes(line, insideQuotes);
    pane.ReplaceSel(line, false);
    line = FormatMapLines(mapName);
    if (GetTagSetting() != 0) line = UpperCaseOutsideQuotes(line, insideQuotes);
    pane.ReplaceSel(line, false);
}

void CMapDoc::SetPathName(const std::string& path) {
    m_strPathName = path;
    m_strTitle = FileNameOfPath(path);
    if (m_onPathSet) m_onPathSet(path);
}

bool CMapDoc::OnOpenDocument(const std::string& path) {
    const int type = PictureTypeFromPath(path);
    if (type < 0) return false;  // refused: nothing has changed

    // From here the previous picture is gone, whatever happens next.
    m_pImage.reset();
    auto image = std::make_unique<CImage>(path, type);
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0) return false;
    m_pImage = std::move(image);

    SetPathName(path);
    if (m_pPane == nullptr) return true;
    const std::string source = LinkTextForPath(GetBaseDirSetting(), path);
    WriteSkeleton(*m_pPane, source, m_pImage->GetWidth(), m_pImage->GetHeight(), GetTitle());
    return true;
}
