// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts (file and folder dialogs, the overwrite question, message
// box buttons) in Japanese, like the rest of the editor. The editor speaks
// Japanese whatever the user's locale, so the translation is loaded always;
// numbers and dates in Qt's dialogs still follow the user's locale.

#include <QString>

// The folder Qt's translations are installed in.
QString QtTranslationsFolder();
// Loads Qt's Japanese translation (qtbase_ja.qm) into the running
// application, once: the editor calls it after its first frame and before
// each of Qt's dialogs, which are all it is needed for. False when it is
// not installed: Qt's dialogs then stay in English and nothing else changes.
bool InstallQtJapanese();
