// The primality check as its original step-by-step loop: trial divisors climb one by one up
// to half of the number. Slow on purpose; the tests compare the program's check with it.
#pragma once

#include <cstdint>
#include <limits>

#include "core/number_values.hpp"
#include "core/window.hpp"

namespace tavix::oracle {

// Thrown when a literal loop would run past its budget of passes. It is not a
// std::exception, so the error traps of the literal code let it through to the test, which
// then knows the oracle has no answer for that input.
struct PassBudgetExceeded {};

// How many loop passes a literal run may take, counted over all its loops.
class PassBudget {
  public:
    explicit PassBudget(std::uint64_t limit = std::numeric_limits<std::uint64_t>::max())
        : limit_(limit) {}

    void spend() {
        if (used_ == limit_)
            throw PassBudgetExceeded{};
        ++used_;
    }
    std::uint64_t used() const { return used_; }

  private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};

// cmdV_Click, step by step.
void literalVerify(Window& window, const NumberFormat& format, PassBudget& budget);

}  // namespace tavix::oracle
