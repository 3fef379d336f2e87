// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/page_save.h"

#include <vector>

#include "markup/html_tags.h"

namespace {
std::string_view Slice(std::string_view bytes, ByteSpan span) {
    return bytes.substr(span.begin, span.end - span.begin);
}

bool SameIdentity(const PageImageMap& entry, const PageSnapshot& snapshot) {
    return entry.source == snapshot.source && entry.mapName == snapshot.mapName;
}

bool SameBytes(std::string_view bytes, const PageImageMap& entry, const PageSnapshot& snapshot) {
    return Slice(bytes, entry.image) == snapshot.image && Slice(bytes, entry.map) == snapshot.map;
}

// The pane's first <img> start tag.
bool FirstImage(std::string_view paneText, StartTag* image) {
    CHtmlTagScanner scanner(paneText);
    while (scanner.Next(*image))
        if (image->name == "img") return true;
    return false;
}
}  // namespace

uint64_t PageHash(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

PageSnapshot TakePageSnapshot(std::string_view bytes, const HtmlPage& page, size_t index) {
    PageSnapshot snapshot;
    if (page.status != ze::StatusCode::kOk || index >= page.maps.size()) return snapshot;
    const PageImageMap& entry = page.maps[index];
    snapshot.known = true;
    snapshot.size = bytes.size();
    snapshot.hash = PageHash(bytes);
    snapshot.index = index;
    snapshot.source = entry.source;
    snapshot.mapName = entry.mapName;
    snapshot.image = std::string(Slice(bytes, entry.image));
    snapshot.map = std::string(Slice(bytes, entry.map));
    return snapshot;
}

PageSnapshot SnapshotAfterMerge(std::string_view bytes, const HtmlPage& page, size_t index,
                                std::string_view merged) {
    if (index >= page.maps.size()) return {};
    const PageImageMap& old = page.maps[index];
    // Whatever comes before the first of the two replaced ranges, and after
    // the second, kept its bytes: an image written first starts where the
    // old one did, one written second ends as far from the end.
    const bool imageFirst = old.image.begin < old.map.begin;
    const size_t tail = bytes.size() - old.image.end;
    if (!imageFirst && tail > merged.size()) return {};
    const HtmlPage now = ReadHtmlPage(merged);
    for (size_t i = 0; i < now.maps.size(); ++i) {
        const ByteSpan image = now.maps[i].image;
        if (imageFirst ? image.begin == old.image.begin : image.end == merged.size() - tail)
            return TakePageSnapshot(merged, now, i);
    }
    return {};
}

PageSavePlan PlanPageSave(std::string_view bytes, const HtmlPage& page,
                          const PageSnapshot& snapshot) {
    PageSavePlan plan;
    std::vector<size_t> candidates;
    if (snapshot.known && bytes.size() == snapshot.size && snapshot.index < page.maps.size() &&
        SameIdentity(page.maps[snapshot.index], snapshot) && PageHash(bytes) == snapshot.hash) {
        candidates.push_back(snapshot.index);  // the page reads as it did
    } else {
        for (size_t i = 0; i < page.maps.size(); ++i)
            if (SameIdentity(page.maps[i], snapshot)) candidates.push_back(i);
    }
    if (candidates.empty()) return plan;
    plan.index = candidates.front();
    if (!snapshot.known) {
        plan.status =
            candidates.size() == 1 ? ze::StatusCode::kUnknownOrigin : ze::StatusCode::kMapSeveral;
        return plan;
    }
    // Of several alike, the one that still reads exactly as ours.
    std::vector<size_t> exact;
    for (const size_t i : candidates)
        if (SameBytes(bytes, page.maps[i], snapshot)) exact.push_back(i);
    if (exact.size() == 1) {
        plan.index = exact.front();
        plan.status = ze::StatusCode::kOk;
    } else if (candidates.size() > 1) {
        if (!exact.empty()) plan.index = exact.front();
        plan.status = ze::StatusCode::kMapSeveral;
    } else {
        plan.status = ze::StatusCode::kOursChanged;
    }
    return plan;
}

PageSnapshot PaneIdentity(std::string_view paneText) {
    const HtmlPage page = ReadHtmlPage(paneText);
    PageSnapshot identity;
    if (page.status != ze::StatusCode::kOk) return identity;
    identity.source = page.maps.front().source;
    identity.mapName = page.maps.front().mapName;
    return identity;
}

bool PaneImageSource(std::string_view paneText, std::string* source) {
    StartTag image;
    if (!FirstImage(paneText, &image) || !image.Find("src")) return false;
    *source = DecodeAttributeValue(image.Value(paneText, "src"));
    return true;
}

bool ImageSourceEdit(std::string_view paneText, std::string_view source, TextEdit* edit) {
    StartTag image;
    if (!FirstImage(paneText, &image)) return false;
    const TagAttribute* src = image.Find("src");
    const char quote = src && src->value.present() && src->quote ? src->quote : '"';
    std::string value;
    for (const char c : source) {
        if (c == '&')
            value += "&amp;";
        else if (c == quote)
            value += quote == '"' ? "&quot;" : "&#39;";
        else
            value += c;
    }
    if (src && src->value.present() && src->quote) {
        *edit = {src->value.begin, src->value.end - src->value.begin, value};
    } else if (src && src->value.present()) {
        *edit = {src->value.begin, src->value.end - src->value.begin, '"' + value + '"'};
    } else if (src) {  // "src" without a value
        *edit = {src->nameRange.end, 0, "=\"" + value + '"'};
    } else {
        *edit = {image.attributesEnd, 0, " src=\"" + value + '"'};
    }
    return true;
}
