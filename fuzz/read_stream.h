// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Feeds libFuzzer's bytes to a picture reader as a file held in memory.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "image/row_writer.h"

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

// Takes the rows a reader hands on into a PNG writer that writes to
// /dev/null; Check traps when a read that answered success gave other than
// the rows it promised.
class CRowCheck : public ze::RowSink {
public:
    CRowCheck() : m_out(std::fopen("/dev/null", "wb")), m_png(ze::MakePngRowWriter(m_out)) {}
    ~CRowCheck() override {
        m_png.reset();
        if (m_out) std::fclose(m_out);
    }
    void Begin(int width, int height, ze::RowForm form, const uint8_t* rgbOfIndex) override {
        if (m_started || width <= 0 || height <= 0) __builtin_trap();
        m_started = true;
        m_height = height;
        m_png->Begin(width, height, form, rgbOfIndex);
    }
    void Put(const uint8_t* row) override {
        ++m_rows;
        m_png->Put(row);
    }
    bool Started() const override { return m_started; }
    void Check(bool whole) {
        if (whole && m_started && (m_rows != m_height || !m_png->Finish())) __builtin_trap();
    }

private:
    std::FILE* m_out;
    std::unique_ptr<ze::RowWriter> m_png;
    bool m_started = false;
    int m_height = 0, m_rows = 0;
};
