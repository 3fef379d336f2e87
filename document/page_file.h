// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An HTML page read from its file, for the editor and the command-line tool.

#include <string>

#include "markup/html_page.h"

struct PageFile {
    bool ok = false;
    ze::Status error;   // why not, when !ok
    std::string bytes;  // the whole file
    HtmlPage page;
};

// Reads the file by its UTF-8 name and the page in it. A file above the
// limit is refused before it is read; a page without an image map is not ok.
PageFile LoadPageFile(const std::string& path, const PageLimits& limits = {});
