// What tests and benchmarks see of the result area beyond what the window uses.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/result/result_view.hpp"

namespace tavix::ui {

struct ResultViewTestAccess {
    // Waits until the text is fully wrapped.
    static void waitForLayout(ResultView& view) { view.viewport_.waitForIndex(); }
    // The line at the top of the view; an estimate while the view is ahead of the layout.
    static std::int64_t firstVisibleLine(const ResultView& view) {
        return view.viewport_.topLine();
    }
    // Memory the line starts take, in bytes.
    static std::size_t layoutMemoryUse(const ResultView& view) {
        return view.viewport_.indexMemoryUse();
    }
};

}  // namespace tavix::ui
