// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/check_report.h"
#include "markup/finding_writer.h"

std::string PathUri(std::string_view path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = !path.empty() && path[0] == '/' ? "file://" : "";
    for (const char c : path) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            uri += c;
        } else {
            uri += '%';
            uri += hex[b >> 4];
            uri += hex[b & 15];
        }
    }
    return uri;
}

namespace {

std::string Text(const char* text) {
    std::string out = "{\"text\": ";
    AppendJsonString(text, out);
    return out + "}";
}

std::string Level(CheckSeverity severity) {
    return severity == CheckSeverity::kError ? "\"error\"" : "\"warning\"";
}

void AppendRules(std::string& out) {
    const auto rules = AllCheckRules();
    for (size_t i = 0; i < rules.size(); ++i) {
        const CheckRuleInfo& r = rules[i];
        out += i == 0 ? "\n" : ",\n";
        out += "        {\"id\": \"" + std::string(r.id) +
               "\", \"shortDescription\": " + Text(r.title) +
               ", \"fullDescription\": " + Text(r.help) + ", \"help\": " + Text(r.help) +
               ", \"defaultConfiguration\": {\"level\": " + Level(r.severity) +
               "}, \"properties\": {\"japanese\": ";
        AppendJsonString(r.japanese, out);
        out += "}}";
    }
}

bool AppendResult(const MapFinding& f, std::string_view uri, std::string& out) {
    out += "      {\"ruleId\": \"" + std::string(RuleId(f.rule)) +
           "\", \"ruleIndex\": " + std::to_string(static_cast<int>(f.rule)) +
           ", \"level\": " + Level(f.severity) + ", \"message\": {\"text\": ";
    const bool changed = AppendJsonString(EnglishMessage(f), out);
    out += "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": ";
    AppendJsonString(uri, out);
    out += "}, \"region\": {\"startLine\": " + std::to_string(f.line) +
           ", \"startColumn\": " + std::to_string(f.column) + "}}}]}";
    return changed;
}

}  // namespace

std::string SarifHead(std::string_view version) {
    std::string out =
        "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
        "  \"version\": \"2.1.0\",\n  \"runs\": [{\n"
        "    \"tool\": {\"driver\": {\"name\": \"zer-evizi-cli\", \"version\": ";
    AppendJsonString(version, out);
    out += ", \"rules\": [";
    AppendRules(out);
    out += "\n    ]}},\n    \"columnKind\": \"unicodeCodePoints\",\n    \"results\": [";
    return out;
}

bool AppendSarifResult(const MapFinding& f, std::string_view uri, bool first, std::string& out) {
    out += first ? "\n" : ",\n";
    return AppendResult(f, uri, out);
}

const char* SarifTail(bool empty) {
    return empty ? "]\n  }]\n}\n" : "\n    ]\n  }]\n}\n";
}
