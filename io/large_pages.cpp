// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/large_pages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace ze {

void AdviseLargePages([[maybe_unused]] void* data, [[maybe_unused]] size_t bytes) {
#ifdef __linux__
    constexpr uintptr_t kLarge = uintptr_t{2} << 20;
    if (bytes < 2 * kLarge) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLarge - 1);
    // Only advice: without large pages the memory works as before.
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace ze
