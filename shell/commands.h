// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command identifiers and the one table of the window's commands: one id
// serves a menu item, its toolbar button and its handler. Each command has
// its caption, a status-bar prompt, a tooltip and its keys; the frame makes
// its actions from this table, and the keys window reads those actions. The
// drawing tools' commands have their rows in the tool table
// (view/tools/tool_table.cpp), each in the tool's own file.

#include <QKeySequence>
#include <QList>
#include <QString>
#include <array>
#include <span>

#include "view/tools/tool_ids.h"

namespace cmd {
constexpr int kFileOpen = 57601;
constexpr int kFileSaveAs = 57604;
constexpr int kFileMru1 = 57616;
constexpr int kToolCircle = tool_command::kCircle;
constexpr int kToolRect = tool_command::kRect;
constexpr int kToolPolygon = tool_command::kPolygon;
constexpr int kTransfer = 32779;
constexpr int kZoomNormal = 32780;
constexpr int kZoomDouble = 32781;
constexpr int kTagUpper = 32782;
constexpr int kBaseFolder = 32785;
constexpr int kEditUndo = 57643;
constexpr int kEditRedo = 57644;
constexpr int kToolSelect = tool_command::kSelect;
constexpr int kViewAreas = 32811;
constexpr int kToolTrace = tool_command::kTrace;
constexpr int kMapOpen = 32812;
constexpr int kMapSave = 32813;
constexpr int kMapSaveAs = 32814;
constexpr int kBrowserCheck = 32815;
constexpr int kViewFullColour = 32816;
constexpr int kMapSwitch = 32817;
constexpr int kExportSvg = 32818;
constexpr int kExportScalingMap = 32819;
constexpr int kViewProblems = 32820;
constexpr int kScaledPreview = 32821;
constexpr int kZoomIn = 32822;
constexpr int kZoomOut = 32823;
constexpr int kZoomFit = 32824;
constexpr int kPixelGrid = 32825;
constexpr int kHelpManual = 57667;
constexpr int kHelpShortcuts = 32890;
constexpr int kHelpAbout = 57664;
constexpr int kViewAreaLabels = 32826;
constexpr int kViewAreaFill = 32827;
constexpr int kViewCheckerboard = 32828;
constexpr int kEditSelectAll = 57642;
constexpr int kAreaCoords = 32829;
constexpr int kAppExit = 57665;
constexpr int kImageMap = 32830;
}  // namespace cmd

struct CommandInfo {
    int id;
    const char* text;     // the menu caption; a key after a tab, as the menu shows it
    const char* prompt;   // shown in the status bar while the item is hovered
    const char* tooltip;  // empty: none
    // The platform's key for the command where there is one; otherwise the
    // keys below (combined key codes, 0 for none).
    QKeySequence::StandardKey standardKey = QKeySequence::UnknownKey;
    std::array<int, 3> keys{};
    bool checkable = false;
};

// Every command of the window but the tools, in menu order.
std::span<const CommandInfo> Commands();
// The row of a command; null when the id is unknown.
const CommandInfo* FindCommand(int id);
QString CommandText(int id);
QString CommandPrompt(int id);
// The keys of a command: the platform's standard key, or the listed ones.
QList<QKeySequence> CommandKeys(const CommandInfo& info);
