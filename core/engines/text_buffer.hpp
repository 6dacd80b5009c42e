// Room for a long text. Memory the process touches for the first time costs a page fault
// per page; for a text of a gigabyte those faults take longer than writing the text. Large
// pages make them few, and faulting them in at once spares the fault handling per page.
#pragma once

#include <cstddef>
#include <string>

namespace tavix {

// A text of `size` bytes (all '\0'). A large one is asked for large pages, faulted in
// before it is filled. Either request may be refused; that changes only the speed.
std::string makeTextBuffer(std::size_t size);

}  // namespace tavix
