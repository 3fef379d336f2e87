// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the application tests share: a temporary folder holding the settings
// file, made afresh for each test, and the headers they all use.

#include <QAction>
#include <QString>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "document/settings.h"
#include "scripted_prompts.h"
#include "shell/commands.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "store/qt_profile_store.h"
#include "support/test_util.h"

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
inline QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Starts the editor over the test's AppFolder `m_f` with the arguments given (a braced list):
// `app`, its window `frame`, its prompts scripted as `prompts`.
#define START_EDITOR(...)                   \
    ScriptedPrompts prompts;                \
    CMapApp app(*m_f.store);                \
    QVERIFY(app.InitInstance(__VA_ARGS__)); \
    [[maybe_unused]] CMainFrame& frame = *app.Frame()

struct AppFolder {
    std::unique_ptr<testutil::TempDir> dir;
    std::unique_ptr<QtProfileStore> store;

    void Make() {
        dir = std::make_unique<testutil::TempDir>();
        store = std::make_unique<QtProfileStore>(dir->File("settings.ini"));
    }
    void Drop() {
        store.reset();
        dir.reset();
    }
    // A copy of the sample picture as `name`, its folders made as needed.
    QString Picture(const std::string& name) const {
        const std::string path = dir->File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(testutil::SourcePath("resources/sample.bmp"), path,
                                   std::filesystem::copy_options::overwrite_existing);
        return Q(path);
    }
};
