// The factorization table as its original step-by-step loops: the prime test climbs to half
// of the number, the factor divisor climbs one by one. Slow on purpose; the tests compare
// the program's table with it.
#pragma once

#include "core/number_values.hpp"
#include "core/window.hpp"
#include "oracle/verify_literal.hpp"

namespace tavix::oracle {

struct FactorOptions {
    // Off: every pass is run. On: once the quotient rounds to ±1 without being 1, no f >= 2
    // can divide it again, so the climb jumps to its last divisor, 2147483647; the next
    // pass overflows as before. Lets a pasted fraction finish in a test.
    bool skipHopelessClimb = false;
};

// Which way cmdFatorar_Click ended, for the mends below.
enum class FatorarEnding { Other, TwoOrThree, LoopNotEntered };

// cmdFatorar_Click and FatorarNumero, step by step.
FatorarEnding literalFatorar(Window& window, const NumberFormat& format, PassBudget& budget,
                             const FactorOptions& options = {});
void literalFatorarNumero(Window& window, const NumberFormat& format, PassBudget& budget,
                          const FactorOptions& options = {});

// literalFatorar with the program's two mends to its endings, applied after it:
// - 2 and 3 get the whole table of a prime (the number over 1, the number, the rule shown);
// - an ending with both columns empty (1, or a number below 4 that is not whole) hides the
//   rule.
// Both happen before the pointer returns to the default, as in the program.
void mendedFatorar(Window& window, const NumberFormat& format, PassBudget& budget,
                   const FactorOptions& options = {});

}  // namespace tavix::oracle
