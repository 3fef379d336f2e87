// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers shared by the test programs.

#include <filesystem>
#include <string>
#include <vector>

namespace testutil {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // path()/name as a string.
    std::string File(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

struct ProcessResult {
    int exitCode = -1;  // -1 when the process could not run or was killed
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), feeding `input` on stdin.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {});

// The bundled sample picture and the project's folders.
std::string SourcePath(const std::string& relative);

}  // namespace testutil
