#pragma once
// The recent-file list in the profile store: section "Recent File List",
// entries File1 to FileN, most recent first.

#include <string>
#include <vector>

#include "markup/settings.h"

constexpr int kRecentFileCount = 4;

// The stored full paths, most recent first; empty and missing entries are
// left out.
std::vector<std::string> LoadRecentFileList(ProfileStore& store, int count = kRecentFileCount);

// Stores the first `count` paths as File1, File2, ...; entries beyond the
// list are stored empty, so that a shorter list leaves no stale paths.
// Answers false when any write failed.
bool SaveRecentFileList(ProfileStore& store, const std::vector<std::string>& files,
                        int count = kRecentFileCount);

// `path` moved (or added) to the head of `files`, which keeps at most `count`
// entries. Paths compare byte for byte.
std::vector<std::string> AddToRecentFileList(std::vector<std::string> files,
                                             const std::string& path, int count = kRecentFileCount);
