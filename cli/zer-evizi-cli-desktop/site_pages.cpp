// SPDX-License-Identifier: GPL-3.0-or-later
#include "site_pages.h"

#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace cli {

namespace {

namespace fs = std::filesystem;

bool IsPageName(const std::string& name, const std::vector<QRegularExpression>& globs) {
    std::string lower = fs::path(name).extension().string();
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    if (lower == ".html" || lower == ".htm" || lower == ".xhtml") return true;
    const QString qname = QString::fromStdString(name);
    return std::any_of(globs.begin(), globs.end(), [&](const QRegularExpression& glob) {
        return glob.match(qname).hasMatch();
    });
}

void Walk(const fs::path& folder, const std::vector<QRegularExpression>& globs,
          std::vector<std::string>* pages) {
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        // Links to files are pages like any other; links to folders are not entered.
        if (it->is_regular_file(typeError) && IsPageName(it->path().filename().string(), globs))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    pages->insert(pages->end(), found.begin(), found.end());
}

}  // namespace

bool ListSitePages(const std::vector<std::string>& paths, const std::vector<std::string>& globs,
                   std::vector<std::string>* pages, std::string* missing) {
    std::vector<QRegularExpression> patterns;
    for (const std::string& glob : globs)
        patterns.emplace_back(
            QRegularExpression::wildcardToRegularExpression(QString::fromStdString(glob)));
    for (const std::string& path : paths) {
        std::error_code error;
        if (path != "-" && fs::is_directory(path, error)) {
            Walk(path, patterns, pages);
        } else if (path == "-" || fs::exists(path, error)) {
            pages->push_back(path);
        } else {
            *missing = path;
            return false;
        }
    }
    return true;
}

}  // namespace cli
