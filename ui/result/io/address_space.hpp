// Room in the address space. Qt's widgets do not survive a failed allocation, so where the
// address space is limited (ulimit -v) the program asks before it opens something large: the
// window at start, the save dialog.
#pragma once

#include <cstddef>

namespace tavix::ui {

// Whether `bytes` more of address space can be had now.
bool roomFor(std::size_t bytes);

}  // namespace tavix::ui
