#pragma once
// File access by UTF-8 name, shared by every codec.

#include <cstdio>
#include <functional>
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

// Reads a whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& utf8Name, std::vector<unsigned char>& out);

// Writes `target` without ever damaging the file that is there: `write` fills
// a temporary file in the same folder, which then replaces the target (its
// permissions kept; a symbolic link is written through to the file it names).
// When no temporary file can be made there, `write` runs on the target itself.
// `write` answers false on failure; then the temporary file is removed and the
// target is left as it was. Answers whether the whole write succeeded.
bool WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write);

}  // namespace ze
