#include "core/computations.hpp"

namespace tavix {

// Placeholder: the primality check is being written.
void cmdV_Click(Window&, const NumberFormat&) {}

}  // namespace tavix
