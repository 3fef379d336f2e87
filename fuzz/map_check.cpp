// SPDX-License-Identifier: GPL-3.0-or-later
// The map checker over arbitrary text and picture sizes: the findings lie
// inside the text in order, the reports are one finding a line (text) and
// valid UTF-8 (text, JSON, SARIF) whatever the bytes, and the coverage of all areas agrees with the
// hit test at every pixel centre of a small picture.

#include "markup/map_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "markup/area_coverage.h"
#include "markup/area_model.h"
#include "markup/check_report.h"
#include "markup/finding_writer.h"
#include "markup/text_encoding.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void CheckCoverage(const std::vector<AreaTag>& areas, int width, int height) {
    std::vector<const AreaTag*> all;
    for (const AreaTag& a : areas) all.push_back(&a);
    const Coverage cover = Cover(all, width, height);
    std::vector<int64_t> inside(areas.size()), picked(areas.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int hit = HitTestAreas(areas, x + 0.5, y + 0.5);
            if (hit >= 0) ++picked[size_t(hit)];
            for (size_t k = 0; k < areas.size(); ++k)
                inside[k] += AreaContains(areas[k], x + 0.5, y + 0.5);
        }
    Check(cover.inside == inside && cover.picked == picked);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const PictureSize picture{1 + data[0] % 48, 1 + data[1] % 48};
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<MapFinding> findings =
        CheckMaps(text, std::vector<PictureSize>(ListMapImages(text).size(), picture));
    const size_t areaCount = ParseAreas(text).size();
    for (size_t i = 0; i < findings.size(); ++i) {
        const MapFinding& f = findings[i];
        Check(f.offset < text.size() && f.offset <= f.end && f.end <= text.size());
        Check(f.area < int(areaCount) && f.line >= 1 && f.column >= 1);
        if (i > 0) Check(findings[i - 1].offset <= f.offset);
    }
    const std::string report = FormatFindingsText(findings, "p.html");
    size_t lines = 0;
    for (const char c : report) {
        lines += c == '\n';
        Check(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
    }
    Check(lines == findings.size() && ze::IsValidUtf8(report));
    Check(ze::IsValidUtf8(FormatFindingsJson(findings, "p.html")));
    Check(ze::IsValidUtf8(FormatReportSarif({{"p\xFF.html", findings}}, "1")));
    if (areaCount <= 12 && picture.width <= 24 && picture.height <= 24)
        CheckCoverage(ParseAreas(text), picture.width, picture.height);
    return 0;
}
