// The listing as the original step-by-step loop: every candidate by trial division up to
// half of it, every prime appended by reading txt and writing it back. Slow by design; the
// tests hold the real listing against it.
#pragma once

#include "core/number_values.hpp"
#include "core/window.hpp"

namespace tavix::oracle {

void cmdCalc_Click_literal(Window& window, const NumberFormat& format);

}  // namespace tavix::oracle
