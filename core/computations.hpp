// The three computations of the main window, as its buttons start them. Each reads the
// number boxes, computes, and writes its result into the window; each catches its own
// errors and reports them with a message box.
#pragma once

#include "core/number_values.hpp"
#include "core/window.hpp"

namespace tavix {

// "Calcular": the primes from txtIni to txtN, into txt behind a count line.
void cmdCalc_Click(Window& window, const NumberFormat& format);

// "Verificar": whether the number in txtV is prime, as a message box.
void cmdV_Click(Window& window, const NumberFormat& format);

// "Fatorar": the factorization table of the number in txtV.
void cmdFatorar_Click(Window& window, const NumberFormat& format);

// Builds the table of a number cmdFatorar_Click has found composite.
void FatorarNumero(Window& window, const NumberFormat& format);

}  // namespace tavix
