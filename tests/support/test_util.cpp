// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testutil {

TempDir::TempDir() {
    std::string path = (std::filesystem::temp_directory_path() / "ze-test-XXXXXX").string();
    if (!::mkdtemp(path.data())) throw std::runtime_error("cannot make a folder for " + path);
    m_path = path;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::File(const std::string& name) const {
    return (m_path / name).string();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

namespace {
std::string ReadAll(int fd) {
    std::string s;
    char buf[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) s.append(buf, static_cast<size_t>(n));
    return s;
}
}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
    // The child's three streams are unnamed temporary files: no pipe can fill
    // up, and no other child can hold one open.
    ProcessResult result;
    std::FILE* files[3] = {std::tmpfile(), std::tmpfile(), std::tmpfile()};
    if (files[0] && files[1] && files[2] &&
        std::fwrite(input.data(), 1, input.size(), files[0]) == input.size() &&
        std::fflush(files[0]) == 0 && ::lseek(fileno(files[0]), 0, SEEK_SET) == 0) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < 3; ++i) dup2(fileno(files[i]), i);
            std::vector<char*> args;
            for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid) {
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            result.out = ReadAll(fileno(files[1]));
            result.err = ReadAll(fileno(files[2]));
        }
    }
    for (std::FILE* f : files)
        if (f) std::fclose(f);
    return result;
}

std::string SourcePath(const std::string& relative) {
    return std::string(ZE_SOURCE_DIR) + "/" + relative;
}

}  // namespace testutil
