// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an image's src on a page leads on this machine, as a browser
// resolves it: percent escapes decoded, query and fragment dropped. The
// editor and the command-line tool both read pictures of pages through here.

#include <QString>

// Whether `source` is a path from the site's root folder: "/..." but not
// "//host/...". Blanks around it do not count.
bool IsFromSiteRoot(const QString& source);

// Such a source as a path under the site's root, "/" first, with ".." kept
// from climbing above the root.
QString SiteRootPath(const QString& source);

// The local file `source` names, seen from the page file at `pagePath`;
// empty when it is not a local file, with the URL it does name in *url.
QString ResolvePageSource(const QString& pagePath, const QString& source, QString* url = nullptr);
