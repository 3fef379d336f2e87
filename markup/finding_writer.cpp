// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/finding_writer.h"

#include "markup/check_rules.h"
#include "markup/text_encoding.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr size_t kFlushAt = 1 << 16;

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    out += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kHex[(value >> shift) & 15];
}

}  // namespace

CFindingWriter::CFindingWriter(FindingFormat format, std::string_view file, Sink sink,
                               std::string_view version)
    : m_format(format), m_sink(std::move(sink)) {
    SetFile(file);
    if (m_format == FindingFormat::kJson) m_buffer += '[';
    if (m_format == FindingFormat::kSarif) m_buffer += SarifHead(version);
}

void CFindingWriter::SetFile(std::string_view file) {
    m_file = file;
    if (m_format == FindingFormat::kSarif) m_uri = PathUri(file);
}

void CFindingWriter::AppendText(std::string_view value) {
    for (size_t i = 0; i < value.size();) {
        size_t length = 1;
        const char32_t c = ze::DecodeUtf8At(value, i, &length);
        if (c == ze::kReplacementChar && length == 1) {
            AppendHex(m_buffer, "\\x", static_cast<unsigned char>(value[i]), 2);
            m_changed = true;
        } else if (c == '\n') {
            m_buffer += "\\n";
        } else if (c == '\r') {
            m_buffer += "\\r";
        } else if (c == '\t') {
            m_buffer += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendHex(m_buffer, "\\x", unsigned(c), 2);
        } else if (c >= 0x80 && c <= 0x9F) {  // C1 controls: CSI and the like
            AppendHex(m_buffer, "\\u", unsigned(c), 4);
        } else {
            m_buffer.append(value.substr(i, length));
        }
        i += length;
    }
}

bool AppendJsonString(std::string_view value, std::string& out) {
    bool changed = false;
    out += '"';
    for (size_t i = 0; i < value.size();) {
        size_t length = 1;
        const char32_t c = ze::DecodeUtf8At(value, i, &length);
        if (c == ze::kReplacementChar && length == 1) {
            out += "\xEF\xBF\xBD";
            changed = true;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            AppendHex(out, "\\u", unsigned(c), 4);
        } else {
            out.append(value.substr(i, length));
        }
        i += length;
    }
    out += '"';
    return changed;
}

void CFindingWriter::AppendJson(std::string_view value) {
    m_changed = AppendJsonString(value, m_buffer) || m_changed;
}

void CFindingWriter::Write(const MapFinding& f) {
    const std::string place = std::to_string(f.line) + ':' + std::to_string(f.column);
    switch (m_format) {
        case FindingFormat::kText:
            AppendText(m_file);
            m_buffer += ':' + place + ": " + SeverityName(f.severity) + ": ";
            AppendText(EnglishMessage(f));
            m_buffer += std::string(" [") + RuleId(f.rule) + "]\n";
            break;
        case FindingFormat::kJson:
            m_buffer += m_count == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
            AppendJson(m_file);
            m_buffer += ", \"line\": " + std::to_string(f.line) +
                        ", \"column\": " + std::to_string(f.column) + ", \"severity\": \"" +
                        SeverityName(f.severity) + "\", \"rule\": \"" + RuleId(f.rule) +
                        "\", \"message\": ";
            AppendJson(EnglishMessage(f));
            m_buffer += '}';
            break;
        case FindingFormat::kSarif:
            m_changed = AppendSarifResult(f, m_uri, m_count == 0, m_buffer) || m_changed;
            break;
    }
    ++m_count;
    Flush(false);
}

void CFindingWriter::Finish() {
    if (m_format == FindingFormat::kJson) m_buffer += m_count == 0 ? "]\n" : "\n]\n";
    if (m_format == FindingFormat::kSarif) m_buffer += SarifTail(m_count == 0);
    Flush(true);
}

void CFindingWriter::Flush(bool always) {
    if (m_buffer.empty() || (!always && m_buffer.size() < kFlushAt)) return;
    m_sink(m_buffer);
    m_buffer.clear();
}

namespace {
std::string Formatted(const std::vector<MapFinding>& findings, std::string_view file,
                      FindingFormat format) {
    std::string out;
    CFindingWriter writer(format, file, [&](std::string_view piece) { out.append(piece); });
    for (const MapFinding& f : findings) writer.Write(f);
    writer.Finish();
    return out;
}
}  // namespace

std::string FormatFindingsText(const std::vector<MapFinding>& findings, std::string_view file) {
    return Formatted(findings, file, FindingFormat::kText);
}

std::string FormatFindingsJson(const std::vector<MapFinding>& findings, std::string_view file) {
    return Formatted(findings, file, FindingFormat::kJson);
}
