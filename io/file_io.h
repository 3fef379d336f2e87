// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File access by UTF-8 name, shared by every codec.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace ze {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file by its UTF-8 name (the wide API on Windows). Null on failure.
FilePtr OpenFile(const std::string& utf8Name, const char* mode);

// Opens a file for reading. Null when it cannot be opened or is a folder;
// `error` then holds the errno value that says why (EISDIR for a folder).
FilePtr OpenForReading(const std::string& utf8Name, int* error);

// The bytes a regular file holds past the stream's position, as the system
// tells them now; -1 for a pipe or a device, or when it cannot tell. The file
// may still change behind the reader's back: this sizes a buffer, and never
// says where the data ends.
int64_t BytesLeft(std::FILE* file);

// Reads a whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& utf8Name, std::vector<unsigned char>& out);

}  // namespace ze
