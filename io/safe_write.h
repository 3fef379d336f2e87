// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a file so that a failed write never costs the file that is there.
//
// The usual way streams the encoder's bytes, in blocks of a few hundred
// kilobytes as they come, into a temporary file beside the target, named
// ".NAME.zesave-PID-XXXXXX", syncs its data and renames it over the target
// (keeping the target's permissions, and its owner and group where the system
// allows); a failure on the way removes the temporary file. Where no
// temporary file can be made (a read-only folder holding a writable file, no
// free inodes) and for a file with several hard links, the target is written
// in place, but only after its full new size has been reserved: the encoder
// streams into it when the caller knows that size beforehand, else its bytes
// are first encoded into memory. Where the size cannot be reserved (no space,
// a file-size limit, a file system without reservations or one that copies
// on write) the target is left alone and the write fails.
//
// A symbolic link is written through to the file it names, except a link in
// a world-writable folder that belongs to neither the user nor the folder's
// owner (another user may have planted it there), which is refused. Targets
// that the user may not write (a file without write permission, even for
// root), that are not regular files, or whose links loop are refused.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "io/status.h"

namespace ze {

// `write` encodes the whole file into the stream it is given and answers
// false on failure; it may stop at the first failed write of the stream. The
// stream seeks: a writer may put parts at their offsets, and leaves it at the
// file's end. An error of the system while writing is answered as such
// (kNoSpace, kFileSizeLimit, ...), kEncode only when the encoder failed on
// its own. Answers kOk when
// the target holds the new bytes; on any other answer the target is byte for
// byte as it was and no temporary file is left, save that an error of the
// disk itself in the middle of writing in place (an I/O error once the space
// is reserved) leaves the target part new. `knownSize`, the exact number of
// bytes `write` gives, lets the encoder stream when writing in place.
Status WriteFileSafely(const std::string& target, const std::function<bool(std::FILE*)>& write,
                       std::optional<uint64_t> knownSize = std::nullopt);

// Writes `bytes` as the file `name` (no slashes) in a folder that only this
// user may enter: $XDG_RUNTIME_DIR/zer-evizi/ where that is a folder of the
// user's with mode 0700 and not a link (made when missing), or else a folder
// that mkdtemp makes in $TMPDIR or /tmp, which this process keeps using. The
// file is made anew with mode 0600, never through a link; one of the same
// name that is there already goes first. `path` gets the file's path, or the
// folder's when no folder could be had.
Status WritePrivateFile(const std::string& name, const std::string& bytes, std::string* path);

// Removes temporary files of this writer in `folder` whose process has ended
// and that are older than a few minutes. Answers how many went. Every write
// runs it on the target's folder first.
int RemoveStaleTemporaries(const std::string& folder);

// For SIGTERM, SIGINT and SIGHUP: removes the temporary file of a write in
// progress, then ends the process as the signal would have. SIGXFSZ is
// ignored, so that a file-size limit fails the write instead of ending the
// process. No effect on Windows.
void InstallSaveSignalHandlers();

}  // namespace ze
