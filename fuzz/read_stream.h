// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Feeds libFuzzer's bytes to a picture reader as a file held in memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads the bytes into `impl` through its ReadStream; calls then() when the
// read succeeded.
template <class Impl, class Then>
void ReadStreamThen(Impl& impl, const uint8_t* data, size_t size, Then&& then) {
    if (size == 0) return;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return;
    if (impl.ReadStream(f) == 1) then();
    std::fclose(f);
}

// Whatever was read must write back out.
template <class Impl>
void WriteToNowhere(const Impl& impl) {
    std::FILE* out = std::fopen("/dev/null", "wb");
    if (!out) return;
    impl.WriteStream(out);
    std::fclose(out);
}
