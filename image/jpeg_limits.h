// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a JPEG may cost before it is decoded. A file of a few hundred bytes
// can declare a 16384 x 16384 picture whose progressive coefficients or
// whole-image colour buffer take gigabytes, or hold thousands of empty scans
// that each walk the whole picture. These checks refuse such files before
// the library allocates or works for them, with a reason to show. The bounds
// are those of ReadLimits (jpegMemory, jpegScans).

#include <cstddef>
#include <cstdint>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "image/read_error.h"

namespace ze::jpeg {

// Huffman-coded data spends at least one bit on every 8 x 8 block it holds.
// A file with less than one byte for every 128 blocks of its picture (a
// sixteenth of that least) is cut short so far that almost all of its
// picture would be made up, and it is refused. Arithmetic-coded files, which
// can spend less and which browsers do not show, are held to the same floor.
inline constexpr uint64_t kBlocksPerByte = 128;

// The limits of one read. The progress manager comes first: the library's
// progress callback finds the guard through it.
struct ReadGuard {
    jpeg_progress_mgr progress{};
    ReadLimits limits;
    int64_t fileBytes = -1;  // bytes of the file from where reading starts; -1 unknown
    Status failure;          // why the file was refused; kOk when it was not
};

// The bytes from the stream's position to its end; -1 when the stream cannot
// tell (a pipe). The position is left where it was.
int64_t BytesLeft(std::FILE* file);

// After jpeg_create_decompress: bounds the library's memory to the limit and
// ends decoding (through the error manager) once the file has more scans than
// the limit allows.
void InstallGuard(j_decompress_ptr cinfo, ReadGuard* guard);

// The bytes that the library's buffers need to decode the picture with the
// current output settings (call after jpeg_read_header).
uint64_t WorkingMemory(j_decompress_ptr cinfo);

// After the header has been read and the output settings chosen, before
// jpeg_start_decompress: false, with the failure set, when decoding would
// need more than the memory limit or the file is too short for the picture
// that it declares.
bool Admit(j_decompress_ptr cinfo, ReadGuard* guard);

}  // namespace ze::jpeg
