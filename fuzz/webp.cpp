// Reads arbitrary bytes as a WebP file.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "image/webp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return 0;
    CWebpImpl impl;
    // Smaller bounds than the editor's, so that a file at them stays within
    // the fuzzer's memory limit; the checks are the same.
    impl.readLimits.maxPixels = int64_t{4096} * 4096;
    impl.readLimits.decoderMemory = uint64_t{256} << 20;
    if (impl.ReadStream(f)) {
        // Whatever was read must write back out.
        std::FILE* out = std::fopen("/dev/null", "wb");
        if (out) {
            impl.WriteStream(out);
            std::fclose(out);
        }
    }
    std::fclose(f);
    return 0;
}
