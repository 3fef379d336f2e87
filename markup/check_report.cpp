// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/check_report.h"

std::string FormatReportText(const std::vector<PageFindings>& pages) {
    std::string out;
    for (const PageFindings& page : pages) out += FormatFindingsText(page.findings, page.file);
    return out;
}

std::string FormatReportJson(const std::vector<PageFindings>& pages) {
    std::string out = "[";
    bool first = true;
    for (const PageFindings& page : pages) {
        for (const MapFinding& f : page.findings) {
            out += first ? "\n  " : ",\n  ";
            first = false;
            AppendFindingJson(f, page.file, out);
        }
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}
