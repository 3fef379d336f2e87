// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How an operation on files, pictures, pages or markup ended: one code from
// one list, and the detail a person needs to act on it (the system's error
// number, a byte offset, a limit, the size a picture declares). Every layer answers with a Status;
// StatusText turns it into the words of the one table: Japanese for the window, English for the
// command-line tool.

#include <cstdint>
#include <string>

namespace ze {

enum class StatusCode : uint8_t {
    kOk,
    // Files, read or written.
    kMissing,        // no such file or folder
    kNoFolder,       // the folder a file is to be written in does not exist
    kNotRegular,     // a folder, FIFO, device or socket where a file was expected
    kNotFolder,      // something else where a folder was expected
    kLink,           // a symbolic link where none may be
    kLinkLoop,       // symbolic links that loop
    kNotOurs,        // owned by another user
    kOverBound,      // above the size bound (`limit` bytes, whole MB, where given)
    kReadDenied,     // reading is not permitted
    kWriteDenied,    // writing is not permitted
    kReadOnlyFs,     // read-only file system
    kNoSpace,        // disk full or quota exceeded
    kFileSizeLimit,  // too large for the file-size limit or the file system
    kCannotReserve,  // writing in place is the only way and cannot be made safe here
    kEncode,         // the format has no writer here: nothing was written
    kReadFailed,     // any other error of the system while reading
    kWriteFailed,    // any other error of the system while writing
    kDamaged,        // a file of our own, cut off or damaged
    kLockDenied,     // a lock file may not be made here
    kLockFailed,     // a lock cannot be taken for another reason of the system
    kLockInUse,      // another editor holds the lock
    // Pages.
    kPageTooLarge,     // above the page size bound
    kRefusedEncoding,  // declares an encoding browsers show nothing of
    kNoImageMap,       // no <img usemap> whose <map> is in the page
    kPaneTooLarge,     // the image tag and map above the pane's bytes or lines
    kPaneLineTooLong,  // a line of them above the pane's line length
    kNoImageTag,       // markup without an <img> tag before its map
    kNoMapElement,     // markup without a complete <map> ... </map>
    kOursChanged,      // our image and map, found once, changed by another program
    kMapNotFound,      // no image with our src that names our map
    kMapSeveral,       // more than one such image, none told apart by its bytes
    kUnknownOrigin,    // found once, but nothing remembered says it is ours
    // Pictures, read. `name` is the reader's format where the words name it.
    kIsFolder,                 // a folder where a picture file was expected
    kUnknownType,              // the extension is not one the editor opens (`name`: the list)
    kNotThisType,              // the bytes are not a picture of the reader's format
    kEmptyFile,                // the file is empty
    kCutOff,                   // the file ends at byte `offset` (0: it is empty)
    kTooManyPixels,            // width x height over the pixel bound (`limit`)
    kDecodeMemory,             // decoding needs `value` MB, over `limit` MB
    kDecodeMemoryProgressive,  // the same, for a progressive JPEG
    kDecodeMemoryGrid,         // the same, for an AVIF made of a grid of tiles
    kTooManyScans,             // JPEG: more than `limit` scans
    kTooLittleData,            // JPEG: `offset` bytes cannot hold the size declared
    kFileOverLimit,            // WebP, AVIF: the file is over `limit` bytes
    kOs2Bmp,                   // variants the readers do not read: an OS/2 2.x BMP,
    kBmpHeader,                // a BMP information header of `value` bytes,
    kBmpDepth,                 // a BMP of `value` bits a pixel,
    kBmpJpeg,                  // a BMP holding a JPEG,
    kBmpPng,                   // a BMP holding a PNG,
    kBmpCompression,           // a BMP of compression code `value`,
    kJpegPrecision,            // a JPEG of `value` bits a sample,
    kJpegCoding,               // a JPEG coding or colour conversion libjpeg lacks,
    kWebpFeature,              // a WebP feature libwebp lacks,
    kAvifFeature,              // an AVIF feature or coding libavif lacks
    kCorrupt,                  // damaged data, at byte `offset` when known
    kNoPicture,                // the file holds no picture (none, or an empty one)
    kOutOfMemory,              // the memory could not be had
    // Pictures, written: what the encoder could not do before a byte was
    // written. `name` is the writer's format.
    kNoPixels,         // the picture holds no pixels to write
    kSideTooLong,      // a side is over what the format holds (`limit` pixels)
    kDepthNotWritten,  // a depth of `value` bits that the writer does not take
    kEncodeMemory,     // the encoder's memory could not be had
    kNoLibrary,        // the format's library cannot be loaded
    kEncoderFailed,    // the format's library refused or failed the picture
    kQuantize,         // the colours could not be reduced to 256
    // Saving the picture.
    kNoFileName,   // no name to save under (a cancelled dialog)
    kNotSavable,   // the extension is no type a picture is saved as (`name`: the list)
    kNothingOpen,  // no picture is open
    // Sending the markup to the sibling editor. kNoSibling did nothing; the
    // two that time out name their `limit` in seconds.
    kNoSibling,         // no window title names the sibling editor
    kTextTooLarge,      // the text is too large to send
    kTooLargeForX,      // the text is too large for one X request
    kNoDisplay,         // the X display cannot be opened
    kNoAtoms,           // the X atoms cannot be interned
    kCannotStart,       // the transfer's process cannot be started
    kReceiverVanished,  // the receiving window went before the data reached it
    kReceiverClosed,    // the receiving window closed without taking the data
    kReceiverSilent,    // the receiver did not take the data in time
    kServerSilent,      // the X server did not answer in time
    kConnectionBroken,  // the X connection failed while waiting for the receiver
    kConnectionFailed,  // the X connection failed during the transfer
    kLast = kConnectionFailed,
};

struct Status {
    StatusCode code = StatusCode::kOk;
    int sysError = 0;     // errno of the call that failed; 0 when none
    int64_t offset = -1;  // a byte offset in the file; -1 when not known
    int64_t limit = 0;    // the bound that was passed; 0 when none
    int64_t value = 0;    // a number the words name: megabytes needed, bits, a code
    int64_t width = 0;    // the picture a file declares, where the words name it
    int64_t height = 0;
    const char* name = nullptr;  // a name the words give (static storage); null when none

    constexpr Status() = default;
    constexpr Status(StatusCode c) : code(c) {}  // NOLINT: implicit, a code alone
    constexpr bool ok() const { return code == StatusCode::kOk; }
    // Statuses compare by their codes: the detail says more of the same.
    friend constexpr bool operator==(const Status& s, StatusCode c) { return s.code == c; }
    friend constexpr bool operator==(const Status& a, const Status& b) { return a.code == b.code; }
};

enum class TextLanguage { kJapanese, kEnglish };

// The status in words. English: a short clause without a full stop ("disk
// full"), for "cannot write FILE: REASON". Japanese: a sentence with its
// full stop, for a line of its own.
std::string StatusText(const Status& status, TextLanguage language);

// Whether the system's error came while reading or writing: a missing
// folder or a refusal reads differently.
enum class Access { kRead, kWrite };

// The status for an error number of the system, the number kept with it.
Status StatusFromErrno(int error, Access access);

}  // namespace ze
