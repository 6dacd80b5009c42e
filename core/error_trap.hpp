// The one error trap of the click operations. Each runs its steps inside runTrapped: a throw
// of any kind, or the number of a run-time error the steps return, ends the operation with
// its computation's error report. The reports differ only in the order of their steps and in
// the box that gets the focus back.
#pragma once

#include <exception>
#include <span>

#include "core/number_values.hpp"
#include "core/window.hpp"

namespace tavix {

// The steps of an error report.
enum class ReportStep {
    HideRule,     // the rule between the factor columns goes
    PointerBack,  // the pointer returns to the default
    Message,      // the critical message box for the error number
    Focus,        // the focus moves to the computation's box
};

// A computation's error report: the box of its feature, and the order of the steps after an
// overflow (error 6) and after any other error.
struct ErrorReport {
    TextBox focus;
    std::span<const ReportStep> afterOverflow;
    std::span<const ReportStep> afterOtherError;
};

// Runs the report's steps for an error number, in their order.
void reportError(Window& window, const ErrorReport& report, int errorNumber);

// Runs a click operation's steps, which return kNoError or the number of a run-time error
// that ends them. The report runs once the exception, if any, is gone: memory it held is
// free again for the message box.
template <class Steps>
void runTrapped(Window& window, const ErrorReport& report, Steps&& steps) {
    int errorNumber = kNoError;
    try {
        errorNumber = steps();
    } catch (const std::exception& error) {
        errorNumber = errorNumberOf(error);
    } catch (...) {
        errorNumber = kInternalErrorNumber;
    }
    if (errorNumber != kNoError) {
        reportError(window, report, errorNumber);
    }
}

}  // namespace tavix
