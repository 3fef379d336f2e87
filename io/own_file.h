// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files the program keeps for itself in a folder of its own (the copies kept
// for after a crash and their locks), read back as hostile input: only a
// regular file that is not a symbolic link, is owned by the user and stays
// within a size bound is read, and nothing on the way blocks (a FIFO) or runs
// without end (a device such as /dev/zero). The folder itself is used only
// when it is the user's own and not a link.

#include <cstddef>
#include <string>

#include "io/status.h"

namespace ze {

// What is at `path` (the link itself when it is one), without opening it:
// kOk for a regular file of the user's within `maxBytes`.
Status CheckOwnFile(const std::string& path, size_t maxBytes);

// Reads such a file whole into *bytes. It is opened without following a link
// and without blocking, and checked through the opened descriptor before a
// byte is read; at most maxBytes + 1 bytes are read, so a file that grows
// meanwhile is refused as too large. *bytes is left alone unless kOk.
Status ReadOwnFile(const std::string& path, size_t maxBytes, std::string* bytes);

// Reads a file the user names (a page) the same way, except that a link is
// followed and any owner's file is read: opened once without blocking, the
// opened descriptor checked to be a regular file within maxBytes, at most
// maxBytes + 1 bytes read. kMissing, kNotRegular, kOverBound, kReadDenied or
// kReadFailed when not; *bytes is left alone unless kOk.
Status ReadNamedFile(const std::string& path, size_t maxBytes, std::string* bytes);

// Makes `path` a folder that only the user may enter (mode 0700; its parents
// as the system makes them), or checks the one that is there: the user's
// own folder, not a link. An own folder that others may enter is narrowed
// to 0700.
Status MakeOwnFolder(const std::string& path);

}  // namespace ze
