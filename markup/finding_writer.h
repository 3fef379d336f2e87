// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map checker's findings written out, one at a time, so that a report
// of millions of findings is never held whole. Each format is one branch of
// CFindingWriter. What comes from the page (names, usemap values, texts)
// cannot pass for anything else: in text every finding stays one line, with
// control characters and bytes that are not UTF-8 escaped (\n, \r, \t,
// \xNN, \u0085); in JSON every string is valid, bytes that are not UTF-8
// written as U+FFFD.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/map_check.h"

enum class FindingFormat { kText, kJson, kSarif };

class CFindingWriter {
public:
    // `sink` takes the output in pieces of up to a few tens of kilobytes.
    // `version`: the tool's, for SARIF's driver.
    using Sink = std::function<void(std::string_view)>;
    CFindingWriter(FindingFormat format, std::string_view file, Sink sink,
                   std::string_view version = {});

    void Write(const MapFinding& finding);
    // Closes the report (the JSON array) and hands over what is left.
    void Finish();
    // Hands over what is written so far (the end of a page).
    void Flush() { Flush(true); }
    // The page the next findings are about.
    void SetFile(std::string_view file);
    // Whether some bytes were not UTF-8 (escaped in text, U+FFFD in JSON).
    bool ChangedBytes() const { return m_changed; }

private:
    void AppendText(std::string_view value);
    void AppendJson(std::string_view value);
    void Flush(bool always);

    FindingFormat m_format;
    std::string m_file;
    std::string m_uri;  // SARIF's form of m_file
    Sink m_sink;
    std::string m_buffer;
    size_t m_count = 0;
    bool m_changed = false;
};

// A JSON string of `value`, control characters escaped and bytes that are
// not UTF-8 written as U+FFFD; true when there were such bytes.
bool AppendJsonString(std::string_view value, std::string& out);

// The pieces of a SARIF 2.1.0 report: the head naming every rule, a result
// (`first`: the first of the report), the tail; a path as a URI reference.
std::string SarifHead(std::string_view version);
// True when the message held bytes that are not UTF-8.
bool AppendSarifResult(const MapFinding& f, std::string_view uri, bool first, std::string& out);
const char* SarifTail(bool empty);
std::string PathUri(std::string_view path);

// "FILE:LINE:COLUMN: error|warning: MESSAGE [RULE]", one line each.
std::string FormatFindingsText(const std::vector<MapFinding>& findings, std::string_view file);
// One JSON array of {"file","line","column","severity","rule","message"}.
std::string FormatFindingsJson(const std::vector<MapFinding>& findings, std::string_view file);
