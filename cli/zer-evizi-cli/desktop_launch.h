// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Handing a command on to zer-evizi-cli-desktop, the program that holds the
// commands needing Qt Core or X11. It is looked for beside this program (the build
// tree) and then in the private folder the package installs it in.

namespace cli {

// Replaces this process with zer-evizi-cli-desktop running argv[1...] (the
// command's name and arguments), with the same standard streams and
// environment. Answers only when that cannot be done, after saying why.
int RunDesktopCommand(char** argv);

}  // namespace cli
