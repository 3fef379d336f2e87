// Reads arbitrary bytes as an AVIF file.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/avif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return 0;
    CAvifImpl impl;
    // Smaller bounds than the editor's, so that a file at them stays within
    // the fuzzer's memory limit; the checks are the same.
    impl.readLimits.maxPixels = int64_t{4096} * 4096;
    impl.readLimits.decoderMemory = uint64_t{256} << 20;
    impl.ReadStream(f);
    std::fclose(f);
    return 0;
}
