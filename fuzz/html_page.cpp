// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile pages: reading, taking the markup out and putting it back. Putting
// back what was taken out, unchanged, must give the page byte for byte.
// The same bytes also go through one of the decoders, chosen by the first
// byte, and what comes out is written back in that encoding.

#include "markup/html_page.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "markup/area_markup.h"
#include "markup/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const HtmlPage page = ReadHtmlPage(bytes);
    for (size_t i = 0; i < page.maps.size() && i < 4; ++i) {
        (void)CheckPaneBounds(bytes, page, i);
        const std::string pane = ExtractMarkup(bytes, page, i);
        std::string merged;
        if (MergeMarkup(bytes, page, i, pane, &merged) != ze::StatusCode::kOk) __builtin_trap();
        if (merged != bytes) __builtin_trap();
        const std::string drawn =
            InsertAreaLine(pane, "<area shape=\"rect\" coords=\"1,2,3,4\">", MarkupSettings{});
        (void)MergeMarkup(bytes, page, i, drawn, &merged);
    }
    if (size > 0) {
        const auto page = static_cast<ze::CodePage>(
            data[0] % (static_cast<size_t>(ze::CodePage::kXMacCyrillic) + 1));
        const std::string text = ze::DecodeCodePage(bytes.substr(1), page);
        if (!ze::IsValidUtf8(text)) __builtin_trap();
        (void)ze::EncodeWithReferences(text, page);
    }
    return 0;
}
