#pragma once
// File access by UTF-8 name, shared by every codec.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/read_error.h"

namespace ze {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file by its UTF-8 name (the wide API on Windows). Null on failure.
FilePtr OpenFile(const std::string& utf8Name, const char* mode);

// Opens a picture file for reading. Null when it cannot be opened or is a
// folder; `failure` then says why (no such file, a folder, permission denied).
FilePtr OpenForReading(const std::string& utf8Name, ReadFailure* failure);

// Reads a whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& utf8Name, std::vector<unsigned char>& out);

}  // namespace ze
