// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The persistent settings and the store they live in. Nothing is cached:
// every accessor reads or writes the store at each use, so a value changed
// from outside takes effect at the next use.

#include <string>

#include "markup/area_markup.h"

// A per-user, sectioned store of named integers and strings.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The value, or `def` when it is missing or unreadable.
    virtual int GetProfileInt(const std::string& section, const std::string& entry, int def) = 0;
    virtual std::string GetProfileString(const std::string& section, const std::string& entry,
                                         const std::string& def) = 0;
    // Answer whether the value was stored (the editor ignores the answer).
    virtual bool WriteProfileInt(const std::string& section, const std::string& entry,
                                 int value) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) = 0;
};

// Installs the store the accessors use (not owned; null: defaults, writes
// dropped). Answers the previous one.
ProfileStore* SetProfileStore(ProfileStore* store);

// "General"/"BaseDir", default empty.
std::string GetBaseDirSetting();
// The setters answer whether the store took the value.
bool SetBaseDirSetting(const std::string& text);
// "General"/"SiteRoot": the folder a page's src="/..." starts from, default
// empty (not chosen yet).
std::string GetSiteRootSetting();
bool SetSiteRootSetting(const std::string& folder);
// "General"/"tag", default 0; any non-zero value means upper-case tags.
int GetTagSetting();
bool SetTagSetting(int value);
// The tag and BaseDir settings as the markup functions take them, read now.
MarkupSettings ReadMarkupSettings();
// "General"/"TraceTolerance": the outline tool's colour distance, default 32;
// a stored value outside 0..442 reads as the nearest end of that range.
int GetTraceToleranceSetting();
bool SetTraceToleranceSetting(int value);
// "General"/"Grid": whether drawing, moving and reshaping snap to the grid,
// default 0 (off); any non-zero value means on.
bool GetGridSetting();
bool SetGridSetting(bool on);
// "General"/"GridSpacing": the grid's spacing in picture pixels, default 8;
// a stored value outside 2..256 reads as the default.
int GetGridSpacingSetting();
bool SetGridSpacingSetting(int spacing);
// Switches of what the map view shows, each "General"/NAME, any non-zero
// value meaning on: "AreaLabels" each area's number at its first corner,
// "AreaFill" a light fill in its colour (both default on), "Checkerboard"
// transparent pixels over a checkerboard (default off).
enum class ViewSwitch { kAreaLabels, kAreaFill, kCheckerboard };
bool GetViewSwitch(ViewSwitch which);
bool SetViewSwitch(ViewSwitch which, bool on);
// "General"/"FullColour", default off: colour JPEGs are read with their own
// colours (24 bits a pixel) instead of 128; any non-zero value means on.
bool GetFullColourSetting();
bool SetFullColourSetting(bool on);
// "General"/"MoreAttributes": whether the link dialog opens with its section
// of further attributes shown; default 0 (collapsed).
bool GetMoreAttributesSetting();
bool SetMoreAttributesSetting(bool shown);
// "General"/"Zoom": the map view's zoom as its percentage text ("100%",
// "6.25%") or kZoomFitSetting; default "100%".
inline constexpr const char* kZoomFitSetting = "fit";
std::string GetZoomSetting();
bool SetZoomSetting(const std::string& text);
