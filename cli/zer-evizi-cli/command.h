// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// zer-evizi-cli commands. Each command lives in its own file and registers
// itself with one static Registration; main.cpp dispatches by name.
//
// Contract for every command: exit 0 on success; 1 on failure with one line
// on stderr; 2 on a usage error with the usage on stderr. Every output ends
// with a line break, except markup text, printed exactly as the pane holds it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ze {
struct Status;
}

class CImage;

namespace cli {

constexpr int kOk = 0;
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;             // the arguments after the name, e.g. "[--windows] BASE PATH"
    int (*run)(const Args& args);  // args: everything after the command's name
};

struct Registration {
    explicit Registration(const Command& command);
};

// Drops the image library's messages gathered so far: those of an attempt
// that is made again.
void DiscardMessages();
// Prints "zer-evizi-cli: MESSAGE" on stderr; answers kFailure.
int Fail(const std::string& message);
// Fail with "cannot read PATH: REASON" for a picture that did not load.
int FailRead(const std::string& path, const ze::Status& failure);
// Reads `path` as the editor opens it (the type from its name; colour JPEGs
// at 24 bits with `fullColour`) into *image. kOk, or what the command
// answers after saying why: an unsupported name or the read failure. With
// image->rowSink set, a reader that streams hands its rows there instead.
int LoadPicture(const std::string& path, bool fullColour, CImage* image);
// Prints the named command's usage on stderr; answers kUsageError.
int UsageOf(const char* name);

// The arguments of a command that reads one picture: PICTURE (any one
// argument), with --full-colour (colour JPEGs read with their own colours,
// not 128) before or after it. Nothing when they are not that.
struct PictureArgs {
    std::string path;
    bool fullColour = false;
};
std::optional<PictureArgs> ParsePictureArgs(const Args& args);

// A whole argument as a decimal integer; nothing when it is not one.
std::optional<int> ParseInt(std::string_view text);

// Writes bytes to stdout unchanged (binary mode on Windows).
void WriteOut(const std::string& bytes);
// Reads all of stdin as bytes.
std::string ReadAllStdin();

}  // namespace cli
