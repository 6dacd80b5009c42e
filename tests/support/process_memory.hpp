// Memory figures of the running process, for the window tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstring>
#include <fstream>
#include <string>

namespace tavix::testing {

inline double megabytes(double bytes) {
    return bytes / (1 << 20);
}

// A "kB" field of /proc/self/status, such as "VmRSS:" or "VmHWM:"; -1 when absent.
inline long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::strlen(field) + 1));
        }
    }
    return -1;
}

// The address space the process holds now, in bytes.
inline std::size_t virtualMemoryBytes() {
    const long kilobytes = statusKilobytes("VmSize:");
    return kilobytes < 0 ? 0 : static_cast<std::size_t>(kilobytes) * 1024;
}

}  // namespace tavix::testing
