// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/map_doc.h"

#include <utility>

#include "document/picture_type.h"
#include "document/settings.h"
#include "markup/area_markup.h"
#include "markup/link_path.h"

std::string FormatImageLine(const std::string& source, int width, int height,
                            const std::string& mapName) {
    return "<img src=\"" + QuoteAttributeValue(source) + "\" width=" + std::to_string(width) +
           " height=" + std::to_string(height) + " alt=\"\" usemap=\"#map_" +
           QuoteAttributeValue(mapName) + "\">\r\n";
}

std::string FormatMapLines(const std::string& mapName) {
    return "<map name=\"map_" + QuoteAttributeValue(mapName) + "\">\r\n</map>";
}

void WriteSkeleton(MarkupPane& pane, const std::string& source, int width, int height,
                   const std::string& mapName, bool upperCase) {
    pane.SetWindowText("");
    bool insideQuotes = false;
    std::string line = FormatImageLine(source, width, height, mapName);
    if (upperCase) line = UpperCaseOutsideQuotes(line, insideQuotes);
    pane.ReplaceSel(line, false);
    line = FormatMapLines(mapName);
    if (upperCase) line = UpperCaseOutsideQuotes(line, insideQuotes);
    pane.ReplaceSel(line, false);
}

void CMapDoc::SetPathName(const std::string& path) {
    m_strPathName = path;
    m_strTitle = FileNameOfPath(path);
    if (m_onPathSet) m_onPathSet(path);
}

std::unique_ptr<CImage> LoadPicture(const std::string& path, int type, ze::Status* failure,
                                    bool fullColour) {
    auto image = std::make_unique<CImage>();
    image->fullColour = fullColour;
    image->Load(path, type);
    if (image->GetWidth() > 0 && image->GetHeight() > 0) return image;
    if (failure) *failure = image->GetReadFailure();
    return nullptr;
}

bool CMapDoc::OnOpenDocument(const std::string& path, const MarkupSettings& settings,
                             ze::Status* failure) {
    const int type = PictureTypeFromPath(path);
    if (type < 0) {
        if (failure) *failure = ze::UnknownPictureType();
        return false;
    }
    // The current picture stays until the new one has loaded.
    std::unique_ptr<CImage> image = LoadPicture(path, type, failure, GetFullColourSetting());
    if (!image) return false;
    AdoptPicture(path, std::move(image), settings);
    return true;
}

void CMapDoc::AdoptPicture(const std::string& path, std::unique_ptr<CImage> image,
                           const MarkupSettings& settings) {
    m_pImage = std::move(image);
    SetPathName(path);
    if (m_pPane == nullptr || !m_pImage) return;
    const std::string source = LinkTextForPath(settings.baseDir, path);
    WriteSkeleton(*m_pPane, source, m_pImage->GetWidth(), m_pImage->GetHeight(), GetTitle(),
                  settings.upperCase);
}

bool ReadAgainForSave(int sourceType, bool fullColour, int targetType) {
    return sourceType == kImageJpeg && !fullColour && targetType != kImageJpeg;
}

ze::Status CMapDoc::SavePicture(const std::string& path, const ze::SaveOptions& options) {
    if (path.empty()) return ze::StatusCode::kNoFileName;
    const int type = PictureTypeFromPath(path);
    if (type < 0) return ze::UnknownPictureType(ze::StatusCode::kNotSavable);
    if (!m_pImage) return ze::StatusCode::kNothingOpen;
    CImage* source = m_pImage.get();
    // The file's own colours, when it still holds a picture of the size
    // shown; else the colours held.
    std::unique_ptr<CImage> full;
    const int sourceType = PictureTypeFromPath(m_strPathName);
    if (ReadAgainForSave(sourceType, m_pImage->fullColour, type)) {
        full = LoadPicture(m_strPathName, sourceType, nullptr, true);
        if (full && full->GetWidth() == m_pImage->GetWidth() &&
            full->GetHeight() == m_pImage->GetHeight())
            source = full.get();
    }
    if (source->Save(path, type, options) != 0) return ze::StatusCode::kOk;
    return source->GetWriteError();
}
