// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop_launch.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "command.h"

namespace cli {
namespace {

constexpr const char* kDesktopProgram = "zer-evizi-cli-desktop";

// The folder this program was started from: the link the kernel keeps, else
// argv[0] when it is a path. A bare name was found on PATH, not in the
// working folder, which may hold anything: then none.
std::filesystem::path OwnFolder(const char* argv0) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        if (!std::strchr(argv0, '/')) return {};
        self = std::filesystem::absolute(argv0, error);
    }
    return self.parent_path();
}

// The desktop program beside this one, or in the folder the package installs
// it in; empty when neither holds a regular file.
std::filesystem::path FindDesktopProgram(const std::filesystem::path& folder) {
    if (folder.empty()) return {};
    for (const std::filesystem::path& candidate :
         {folder / kDesktopProgram, folder / ZE_CLI_DESKTOP_DIR / kDesktopProgram}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.lexically_normal();
    }
    return {};
}

}  // namespace

int RunDesktopCommand(char** argv) {
    const std::filesystem::path folder = OwnFolder(argv[0]);
    const std::filesystem::path program = FindDesktopProgram(folder);
    const std::string command = argv[1];
    if (program.empty())
        return Fail("cannot run " + command + ": " + kDesktopProgram + " was found neither in " +
                    folder.string() + " nor in " +
                    (folder / ZE_CLI_DESKTOP_DIR).lexically_normal().string());
    std::vector<char*> args;
    std::string name = program.string();
    args.push_back(name.data());
    for (char** arg = argv + 1; *arg; ++arg) args.push_back(*arg);
    args.push_back(nullptr);
    execv(name.c_str(), args.data());
    return Fail("cannot run " + command + ": cannot start " + name + " (" + std::strerror(errno) +
                ")");
}

}  // namespace cli
