// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli skeleton PICTURE [--base DIR] [--upper|--lower]: opens the
// picture as the editor does and prints the markup pane's text.

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "command.h"
#include "desktop_commands.h"
#include "document/map_doc.h"
#include "markup/markup_pane.h"
#include "markup_options.h"

namespace {

constexpr const char* kName = "skeleton";

int RunSkeleton(const cli::Args& args) {
    std::optional<std::string> picture;
    std::optional<std::string> base;
    std::optional<bool> upper;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--base" && !base && i + 1 < args.size()) {
            base = args[++i];
        } else if ((arg == "--upper" || arg == "--lower") && !upper) {
            upper = arg == "--upper";
        } else if (!arg.empty() && arg[0] != '-' && !picture) {
            picture = arg;
        } else {
            return cli::UsageOf(kName);
        }
    }
    if (!picture) return cli::UsageOf(kName);

    // The editor opens full paths, with "." and ".." resolved. The names are
    // UTF-8 on every platform.
    std::error_code ec;
    const std::filesystem::path full =
        std::filesystem::absolute(std::u8string(picture->begin(), picture->end()), ec);
    if (ec) return cli::Fail("cannot make a full path of " + *picture);
    const std::u8string normal = full.lexically_normal().u8string();
    const std::string path(normal.begin(), normal.end());

    const MarkupSettings settings = cli::MarkupSettingsFrom(base, upper);
    MemoryMarkupPane pane;
    CMapDoc doc;
    doc.SetPane(&pane);
    ze::Status failure;
    const bool opened = doc.OnOpenDocument(path, settings, &failure);
    if (!opened && failure == ze::StatusCode::kUnknownType)
        return cli::Fail("cannot open " + path + " as a picture");
    if (!opened) return cli::FailRead(path, failure);
    cli::WriteOut(pane.GetWindowText());
    return cli::kOk;
}

const cli::Registration kSkeleton({kName, cli::DesktopCommandUsage(kName), RunSkeleton});

}  // namespace
