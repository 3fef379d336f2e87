// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's place and the markup bar's, kept across starts in the
// settings section "Window": the window's normal rectangle and whether it is
// maximised; the bar's side and thickness, or its floating rectangle. A
// stored rectangle that lies on no screen any more is not used: a window
// then takes four fifths of the primary screen, centred, as at a first start.

#include <QList>
#include <QRect>

class CMainFrame;
class ProfileStore;

// Places the frame as stored (or as at a first start), shows it, then docks
// or floats its bar as stored.
void ShowWithStoredPlace(CMainFrame& frame, ProfileStore& store);
// Stores the frame's place and its bar's.
void StorePlace(const CMainFrame& frame, ProfileStore& store);

// `stored` when it is not empty and lies wholly on one of `screens`; else
// null.
QRect FittingRect(const QRect& stored, const QList<QRect>& screens);
// Four fifths of `screen` each way, centred on it.
QRect FirstStartRect(const QRect& screen);
