// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/page_file.h"

#include "io/own_file.h"

PageFile LoadPageFile(const std::string& path, const PageLimits& limits) {
    PageFile file;
    // Opened once, without blocking, and judged by what was opened: a FIFO
    // or device put in the file's place after a look by name hangs nothing.
    const ze::Status read = ze::ReadNamedFile(path, limits.maxBytes, &file.bytes);
    if (read == ze::StatusCode::kOverBound) {
        file.page.status = ze::StatusCode::kPageTooLarge;
        file.error = file.page.status;
        return file;
    }
    if (!read.ok()) {
        file.error = read;
        return file;
    }
    file.page = ReadHtmlPage(file.bytes, limits);
    file.ok = file.page.status == ze::StatusCode::kOk;
    if (!file.ok) file.error = file.page.status;
    return file;
}
