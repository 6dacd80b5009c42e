// Memory figures of the running process, for the window benchmarks.
#pragma once

#include <cstring>
#include <fstream>
#include <string>

namespace tavix::bench {

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

}  // namespace tavix::bench
