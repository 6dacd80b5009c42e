#include "ui/result/io/address_space.hpp"

#include <chrono>
#include <sys/mman.h>
#include <thread>

namespace tavix::ui {

bool roomFor(std::size_t bytes) {
    // Another thread may hold a passing reserve at this moment (a thread's stack, a buffer of
    // Qt's being made), so a refusal is asked again for a little while before it counts.
    constexpr int kTries = 10;
    constexpr auto kPause = std::chrono::milliseconds(50);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        void* start =
            ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (start != MAP_FAILED) {
            ::munmap(start, bytes);
            return true;
        }
        std::this_thread::sleep_for(kPause);
    }
    return false;
}

}  // namespace tavix::ui
