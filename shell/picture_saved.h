// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the editor says and offers once Save As has written the picture.

#include <QString>
#include <QtGlobal>

class CMainFrame;
class CMapDoc;

// "b.webp を WebP で保存しました (12,345 バイト)。"
QString SavedPictureMessage(const QString& path, int type, qint64 bytes);
// Puts the message in the status bar and, when `type` is not the format of
// the opened picture, offers to point the image tag's src at `path` (one
// step for undo).
void AfterPictureSaved(CMainFrame& frame, const CMapDoc& doc, const QString& path, int type);
