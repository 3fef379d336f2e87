// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/check_report.h"

#include "markup/finding_writer.h"

namespace {

std::string Formatted(const std::vector<PageFindings>& pages, FindingFormat format,
                      std::string_view version = {}) {
    std::string out;
    CFindingWriter writer(
        format, "", [&out](std::string_view piece) { out.append(piece); }, version);
    for (const PageFindings& page : pages) {
        writer.SetFile(page.file);
        for (const MapFinding& f : page.findings) writer.Write(f);
    }
    writer.Finish();
    return out;
}

}  // namespace

std::string FormatReportText(const std::vector<PageFindings>& pages) {
    return Formatted(pages, FindingFormat::kText);
}

std::string FormatReportJson(const std::vector<PageFindings>& pages) {
    return Formatted(pages, FindingFormat::kJson);
}

std::string FormatReportSarif(const std::vector<PageFindings>& pages, const std::string& version) {
    return Formatted(pages, FindingFormat::kSarif, version);
}
