// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checker's report over many pages, one writer per format: text (the
// lines of FormatFindingsText, page after page), JSON (one array of every
// finding) and SARIF 2.1.0 (the rule table as the tool's rules, each finding
// a result with its page, line and column), the form code-scanning services
// and editors read.

#include <string>
#include <vector>

#include "markup/map_check.h"

struct PageFindings {
    std::string file;  // as given or found in a folder; "-" for standard input
    std::vector<MapFinding> findings;
};

std::string FormatReportText(const std::vector<PageFindings>& pages);
std::string FormatReportJson(const std::vector<PageFindings>& pages);
// `version`: the tool's version, for the driver.
std::string FormatReportSarif(const std::vector<PageFindings>& pages, const std::string& version);
