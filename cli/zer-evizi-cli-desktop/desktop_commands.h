// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands that need the desktop's libraries: Qt Core for those that
// read or write the settings store (QSettings) or resolve a page's links and
// file patterns with Qt's URL and pattern code, X11 for the sibling transfer.
// They live in a second program, zer-evizi-cli-desktop, so that the picture
// and markup commands start without Qt, ICU and X11; zer-evizi-cli lists
// them with their usage and hands them on to it.

#include <string_view>

namespace cli {

struct DesktopCommand {
    const char* name;
    const char* usage;  // the arguments after the name
};

inline constexpr DesktopCommand kDesktopCommands[] = {
    {"area",
     "circle|rect|poly X,Y X,Y... [--zoom 1|2|PERCENT%] [--scroll X,Y] [--alt TEXT] [--href URL] "
     "[--title T] [--target T] [--id T] [--class T] [--rel T] [--upper|--lower]"},
    {"check",
     "[--root DIR] [--format text|json|sarif] [--disable RULE,...] [--jobs N] "
     "[--include GLOB] [--picture FILE] PATH..."},
    {"export", "--svg|--scaling-map [--image N] [--picture FILE] [--root DIR] PAGE|-"},
    {"send", "< TEXT"},
    {"settings", "[--base TEXT] [--tag N]"},
    {"skeleton", "PICTURE [--base DIR] [--upper|--lower]"},
    {"trace", "PICTURE X Y [--tolerance N] [--max-corners N] [--upper|--lower] [--full-colour]"},
};

// The usage of the command `name` when it is one of those; null otherwise.
constexpr const char* DesktopCommandUsage(std::string_view name) {
    for (const DesktopCommand& command : kDesktopCommands)
        if (name == command.name) return command.usage;
    return nullptr;
}

}  // namespace cli
