// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's place and the markup bar's, kept across starts in the
// settings section "Window": the window's normal rectangle and whether it is
// maximised; the bar's side and thickness, or its floating rectangle; the
// layout of all the docks, which wins over the bar's own entries. A
// stored rectangle that lies on no screen any more is not used: a window
// then takes four fifths of the primary screen, centred, as at a first start.

#include <QList>
#include <QRect>

class CMainFrame;
class ProfileStore;

// Places the frame as stored (or as at a first start), shows it, then docks
// or floats its bar as stored.
void ShowWithStoredPlace(CMainFrame& frame, ProfileStore& store);
// Stores the frame's place and its bar's, and the layout of every dock
// ("Docks": QMainWindow::saveState, tagged with kDockStateVersion).
void StorePlace(const CMainFrame& frame, ProfileStore& store);
// Lays the docks out as stored, the markup bar too unless `withBar` is
// false; false when nothing usable is stored (none, another version,
// garbled), and then nothing changed.
bool RestoreDocks(CMainFrame& frame, ProfileStore& store, bool withBar = true);
// Raised whenever a dock is added or renamed, so that an older layout is
// not forced on the new set.
constexpr int kDockStateVersion = 1;

// `stored` when it is not empty and lies wholly on one of `screens`; else
// null.
QRect FittingRect(const QRect& stored, const QList<QRect>& screens);
// Four fifths of `screen` each way, centred on it.
QRect FirstStartRect(const QRect& screen);
