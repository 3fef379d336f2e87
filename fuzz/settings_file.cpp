// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as the user may have left it: the checks and the text
// reader over arbitrary bytes, then the store itself reading and writing a
// file that holds them. A value found is a piece of the file, a whole value
// is never longer than its text, and a file that is not clean is never
// written.

#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/ini_text.h"
#include "store/qt_profile_store.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// One file for the whole run, in the temporary folder, removed (with the
// store's lock file) when the run ends. Plain characters: nothing here is
// destroyed before the removal runs.
char g_path[] = "/tmp/fuzz-settings-XXXXXX.ini";

void RemoveFile() {
    std::remove(g_path);
    std::remove((std::string(g_path) + ".lock").c_str());
}

const char* FilePath() {
    static const bool made = [] {
        const int fd = mkstemps(g_path, 4);
        if (fd < 0) return false;
        close(fd);
        std::atexit(RemoveFile);
        return true;
    }();
    return made ? g_path : nullptr;
}

void ReadThroughTheStore(const QByteArray& text, bool clean) {
    if (!FilePath()) return;
    QFile file(QString::fromUtf8(FilePath()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    file.write(text);
    file.close();
    QtProfileStore store(FilePath());
    store.GetProfileString("General", "BaseDir", "");
    store.GetProfileInt("General", "tag", 0);
    store.GetProfileString("Recent File List", "File1", "");
    const bool wrote = store.WriteProfileInt("General", "tag", 1);
    if (!clean) Check(!wrote);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool clean = ini::IsClean(text);
    for (const char* key : {"BaseDir", "tag", "Recent File List/File1", "Settings/PreviewPages"}) {
        const auto raw = ini::RawValue(text, QString::fromLatin1(key));
        if (!raw) continue;
        Check(text.contains(*raw));
        Check(ini::WholeValue(*raw).size() <= raw->size());
    }
    ReadThroughTheStore(text, clean);
    return 0;
}
