// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/recovery_record.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "io/own_file.h"
#include "io/safe_write.h"

namespace {
constexpr std::string_view kMagic = "ZER-EVIZI-RECOVERY 1\n";

void Field(std::string& out, std::string_view name, std::string_view value) {
    out += name;
    out += ' ';
    out += std::to_string(value.size());
    out += '\n';
    out += value;
    out += '\n';
}

ze::Status TooLarge() {
    ze::Status status = ze::StatusCode::kOverBound;
    status.limit = static_cast<int64_t>(kRecoveryMaxBytes);
    return status;
}

// Reads "NAME LENGTH\nVALUE\n" at the front of `in`.
bool ReadField(std::string_view& in, std::string_view name, std::string* value) {
    if (in.substr(0, name.size()) != name || in.size() <= name.size() || in[name.size()] != ' ')
        return false;
    in.remove_prefix(name.size() + 1);
    size_t length = 0;
    const auto [end, ec] = std::from_chars(in.data(), in.data() + in.size(), length);
    if (ec != std::errc() || end == in.data() || end == in.data() + in.size() || *end != '\n')
        return false;
    in.remove_prefix(static_cast<size_t>(end - in.data()) + 1);
    if (length >= in.size() || in[length] != '\n') return false;
    value->assign(in.substr(0, length));
    in.remove_prefix(length + 1);
    return true;
}
}  // namespace

std::string FormatRecoveryRecord(const RecoveryRecord& record) {
    std::string out(kMagic);
    Field(out, "picture", record.picture);
    Field(out, "markup", record.markupFile);
    Field(out, "page", record.fromPage ? std::to_string(record.image) : std::string());
    Field(out, "text", record.text);
    return out;
}

bool ParseRecoveryRecord(std::string_view bytes, RecoveryRecord* record) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return false;
    bytes.remove_prefix(kMagic.size());
    RecoveryRecord parsed;
    std::string page;
    if (!ReadField(bytes, "picture", &parsed.picture) ||
        !ReadField(bytes, "markup", &parsed.markupFile) || !ReadField(bytes, "page", &page) ||
        !ReadField(bytes, "text", &parsed.text) || !bytes.empty())
        return false;
    if (!page.empty()) {
        const auto [end, ec] =
            std::from_chars(page.data(), page.data() + page.size(), parsed.image);
        if (ec != std::errc() || end != page.data() + page.size() || parsed.image < 0) return false;
        parsed.fromPage = true;
    }
    *record = std::move(parsed);
    return true;
}

bool ReadRecoveryFile(const std::string& path, RecoveryRecord* record, ze::Status* why) {
    std::string bytes;
    const ze::Status status = ze::ReadOwnFile(path, kRecoveryMaxBytes, &bytes);
    if (!status.ok()) {
        *why = status == ze::StatusCode::kOverBound ? TooLarge() : status;
        return false;
    }
    if (!ParseRecoveryRecord(bytes, record)) {
        *why = ze::StatusCode::kDamaged;
        return false;
    }
    return true;
}

bool WriteRecoveryFile(const std::string& path, const RecoveryRecord& record, ze::Status* why) {
    const ze::Status there = ze::CheckOwnFile(path, SIZE_MAX);
    if (!there.ok() && there != ze::StatusCode::kMissing) {
        *why = there;
        return false;
    }
    const std::string bytes = FormatRecoveryRecord(record);
    if (bytes.size() > kRecoveryMaxBytes) {
        *why = TooLarge();
        return false;
    }
    *why = ze::WriteFileSafely(path, [&bytes](std::FILE* f) {
        return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    });
    return why->ok();
}
