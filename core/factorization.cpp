#include "core/computations.hpp"

namespace tavix {

// Placeholder: the factorization is being written.
void cmdFatorar_Click(Window&, const NumberFormat&) {}
void FatorarNumero(Window&, const NumberFormat&) {}

}  // namespace tavix
