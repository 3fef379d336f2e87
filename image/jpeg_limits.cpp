// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/jpeg_limits.h"

namespace ze::jpeg {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

uint64_t RoundUp(uint64_t n, uint64_t step) {
    return step == 0 ? n : (n + step - 1) / step * step;
}

// Ends the read once the file has gone past the scan limit. Progressive and
// multi-scan files are read whole inside jpeg_start_decompress, which calls
// this between rows of blocks, so a file of empty scans stops early.
void OnProgress(j_common_ptr common) {
    if (!common->is_decompressor) return;
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto* guard = reinterpret_cast<ReadGuard*>(cinfo->progress);
    if (cinfo->input_scan_number <= guard->limits.jpegScans) return;
    guard->failure.code = StatusCode::kTooManyScans;
    guard->failure.limit = guard->limits.jpegScans;
    (*common->err->error_exit)(common);
}

}  // namespace

int64_t BytesLeft(std::FILE* file) {
    const long start = std::ftell(file);
    if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0 || end < start) return -1;
    return end - start;
}

void InstallGuard(j_decompress_ptr cinfo, ReadGuard* guard) {
    // A second bound inside the library, for anything the estimate below
    // misses: buffers that do not fit make it ask for a backing store, which
    // this build does not have, and the read fails.
    cinfo->mem->max_memory_to_use = static_cast<long>(guard->limits.jpegMemory + 64 * kMiB);
    guard->progress.progress_monitor = OnProgress;
    cinfo->progress = &guard->progress;
}

uint64_t WorkingMemory(j_decompress_ptr cinfo) {
    jpeg_calc_output_dimensions(cinfo);
    const uint64_t width = cinfo->output_width;
    const uint64_t height = cinfo->output_height;
    // Row buffers of every stage, a few rows of blocks deep, and the tables.
    uint64_t bytes = kMiB + width * static_cast<uint64_t>(cinfo->num_components) *
                                static_cast<uint64_t>(cinfo->max_v_samp_factor) * DCTSIZE * 4;
    // All of the picture's coefficients, when more than one scan fills them.
    if (cinfo->progressive_mode || jpeg_has_multiple_scans(cinfo)) {
        for (int c = 0; c < cinfo->num_components; ++c) {
            const jpeg_component_info& comp = cinfo->comp_info[c];
            bytes += RoundUp(comp.width_in_blocks, comp.h_samp_factor) *
                     RoundUp(comp.height_in_blocks, comp.v_samp_factor) * DCTSIZE2 * sizeof(JCOEF);
        }
    }
    // The two-pass quantizer keeps the whole decoded picture between passes.
    if (cinfo->quantize_colors && cinfo->two_pass_quantize && cinfo->out_color_components == 3 &&
        !cinfo->colormap)
        bytes += width * height * 3;
    return bytes;
}

bool Admit(j_decompress_ptr cinfo, ReadGuard* guard) {
    Status& f = guard->failure;
    const auto refuse = [&f, cinfo](StatusCode code) {
        f.code = code;
        f.width = cinfo->image_width;
        f.height = cinfo->image_height;
        return false;
    };
    const uint64_t need = WorkingMemory(cinfo);
    if (need > guard->limits.jpegMemory) {
        f.value = static_cast<int64_t>((need + kMiB - 1) / kMiB);
        f.limit = static_cast<int64_t>(guard->limits.jpegMemory / kMiB);
        return refuse(cinfo->progressive_mode ? StatusCode::kDecodeMemoryProgressive
                                              : StatusCode::kDecodeMemory);
    }
    uint64_t blocks = 0;
    for (int c = 0; c < cinfo->num_components; ++c)
        blocks +=
            uint64_t{cinfo->comp_info[c].width_in_blocks} * cinfo->comp_info[c].height_in_blocks;
    if (guard->fileBytes >= 0 &&
        static_cast<uint64_t>(guard->fileBytes) * kBlocksPerByte < blocks) {
        f.offset = guard->fileBytes;
        return refuse(StatusCode::kTooLittleData);
    }
    return true;
}

}  // namespace ze::jpeg
