#include "core/engines/text_buffer.hpp"

#include <cstdint>

#include "core/engines/tuning.hpp"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tavix {

namespace {

using tuning::kLargeText;
// The size of a large page on x86-64 and arm64.
constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

}  // namespace

std::string makeTextBuffer(std::size_t size) {
    std::string text;
#if defined(__linux__) && defined(MADV_HUGEPAGE) && defined(MADV_POPULATE_WRITE)
    if (size >= kLargeText) {
        text.reserve(size);
        // Only the whole large pages inside the allocation.
        const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
        const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
        const std::uintptr_t end = (begin + size) & ~(kLargePage - 1);
        if (end > first) {
            madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
            madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
        }
    }
#endif
    text.resize(size);
    return text;
}

}  // namespace tavix
