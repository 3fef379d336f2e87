// SPDX-License-Identifier: GPL-3.0-or-later
#include "doc/page_file.h"

#include <filesystem>
#include <system_error>

#include "io/file_io.h"

PageFile LoadPageFile(const std::string& path, const PageLimits& limits) {
    PageFile file;
    std::error_code ec;
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    if (!std::filesystem::exists(name, ec)) {
        file.error = "no such file";
        return file;
    }
    if (!std::filesystem::is_regular_file(name, ec)) {
        file.error = "not a file";
        return file;
    }
    const auto size = std::filesystem::file_size(name, ec);
    if (!ec && size > limits.maxBytes) {
        file.page.status = PageStatus::kTooLarge;
        file.error = PageStatusText(PageStatus::kTooLarge);
        return file;
    }
    ze::FilePtr f = ze::OpenFile(path, "rb");
    if (!f) {
        file.error = "cannot be read";
        return file;
    }
    if (!ec) file.bytes.reserve(size_t(size) + 1);
    // One byte beyond the limit is enough to know that the file grew past it.
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        file.bytes.append(buffer, n);
        if (file.bytes.size() > limits.maxBytes) break;
    }
    if (std::ferror(f.get())) {
        file.error = "cannot be read";
        return file;
    }
    file.page = ReadHtmlPage(file.bytes, limits);
    file.ok = file.page.status == PageStatus::kOk;
    if (!file.ok) file.error = PageStatusText(file.page.status);
    return file;
}
