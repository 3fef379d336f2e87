// SPDX-License-Identifier: GPL-3.0-or-later
#include "doc/page_file.h"

#include "io/own_file.h"

PageFile LoadPageFile(const std::string& path, const PageLimits& limits) {
    PageFile file;
    // Opened once, without blocking, and judged by what was opened: a FIFO
    // or device put in the file's place after a look by name hangs nothing.
    switch (ze::ReadNamedFile(path, limits.maxBytes, &file.bytes)) {
        case ze::OwnFileStatus::kOk:
            break;
        case ze::OwnFileStatus::kMissing:
            file.error = "no such file";
            return file;
        case ze::OwnFileStatus::kNotRegular:
            file.error = "not a file";
            return file;
        case ze::OwnFileStatus::kTooLarge:
            file.page.status = PageStatus::kTooLarge;
            file.error = PageStatusText(PageStatus::kTooLarge);
            return file;
        default:
            file.error = "cannot be read";
            return file;
    }
    file.page = ReadHtmlPage(file.bytes, limits);
    file.ok = file.page.status == PageStatus::kOk;
    if (!file.ok) file.error = PageStatusText(file.page.status);
    return file;
}
