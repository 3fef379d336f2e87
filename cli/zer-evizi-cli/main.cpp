// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli: the editor's headless companion. Dispatches to one command.
// Built twice where the commands needing Qt Core or X11 live apart: as
// zer-evizi-cli, which runs its own commands and hands those on, and with
// ZE_CLI_WITH_DESKTOP as zer-evizi-cli-desktop, which runs them.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "command.h"
#include "desktop_commands.h"
#include "document/picture_type.h"
#include "image/image.h"
#include "image/read_error.h"
#include "io/messages.h"
#include "io/safe_write.h"
#ifndef ZE_CLI_WITH_DESKTOP
#include "desktop_launch.h"
#endif

namespace cli {
namespace {
std::map<std::string, Command>& Registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

// Messages of the image library wait here: a failure folds them into its one
// line; after a success they are printed as they are.
std::vector<std::string>& PendingMessages() {
    static std::vector<std::string> messages;
    return messages;
}

void FlushMessages() {
    for (const std::string& text : PendingMessages()) std::cerr << text << '\n';
    PendingMessages().clear();
}

// Every command with its usage, those of the desktop program included.
int PrintUsage() {
    std::map<std::string, const char*> usages;
    for (const auto& [name, command] : Registry()) usages[name] = command.usage;
    for (const DesktopCommand& command : kDesktopCommands) usages[command.name] = command.usage;
    std::cerr << "usage: zer-evizi-cli COMMAND [ARGS...]\ncommands:\n";
    for (const auto& [name, usage] : usages)
        std::cerr << "  zer-evizi-cli " << name << ' ' << usage << '\n';
    return kUsageError;
}
}  // namespace

Registration::Registration(const Command& command) {
    Registry()[command.name] = command;
}

void DiscardMessages() {
    PendingMessages().clear();
}

int Fail(const std::string& message) {
    std::string line = message;
    for (const std::string& text : PendingMessages()) line += ": " + text;
    PendingMessages().clear();
    std::cerr << "zer-evizi-cli: " << line << '\n';
    return kFailure;
}

int FailRead(const std::string& path, const ze::Status& failure) {
    return Fail("cannot read " + path + ": " + ze::StatusText(failure, ze::TextLanguage::kEnglish));
}

int LoadPicture(const std::string& path, bool fullColour, CImage* image) {
    const int type = PictureTypeFromPath(path);
    if (type < 0) return Fail("unsupported format: " + path);
    image->fullColour = fullColour;
    image->Load(path, type);
    // Rows handed to a sink as they were decoded: the picture was there.
    if (image->rowSink && image->rowSink->Started()) return kOk;
    // Loaded means a width and a height above 0, as the document decides.
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return FailRead(path, image->GetReadFailure());
    return kOk;
}

std::optional<PictureArgs> ParsePictureArgs(const Args& args) {
    PictureArgs result;
    bool named = false;
    for (const std::string& arg : args) {
        if (arg == "--full-colour" && !result.fullColour) {
            result.fullColour = true;
        } else if (!named) {
            result.path = arg;
            named = true;
        } else {
            return std::nullopt;
        }
    }
    if (!named) return std::nullopt;
    return result;
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

int UsageOf(const char* name) {
    auto it = Registry().find(name);
    if (it == Registry().end()) return PrintUsage();
    std::cerr << "usage: zer-evizi-cli " << name << ' ' << it->second.usage << '\n';
    return kUsageError;
}

void WriteOut(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

std::string ReadAllStdin() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) text.append(buf, n);
    return text;
}

}  // namespace cli

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    ze::SetMessageHandler([](const std::string& text) { cli::PendingMessages().push_back(text); });
    ze::InstallSaveSignalHandlers();
    if (argc < 2) return cli::PrintUsage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        cli::PrintUsage();
        return cli::kOk;
    }
#ifndef ZE_CLI_WITH_DESKTOP
    if (cli::DesktopCommandUsage(name)) return cli::RunDesktopCommand(argv);
#endif
    auto it = cli::Registry().find(name);
    if (it == cli::Registry().end()) {
        std::cerr << "zer-evizi-cli: unknown command '" << name << "'\n";
        return cli::PrintUsage();
    }
    const int status = it->second.run(cli::Args(argv + 2, argv + argc));
    cli::FlushMessages();
    return status;
}
