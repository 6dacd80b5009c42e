#include "core/computations.hpp"

namespace tavix {

// Placeholder: the listing is being written.
void cmdCalc_Click(Window&, const NumberFormat&) {}

}  // namespace tavix
