#include "core/error_trap.hpp"

#include "core/texts.hpp"

namespace tavix {

void reportError(Window& window, const ErrorReport& report, int errorNumber) {
    const bool overflow = errorNumber == kOverflowErrorNumber;
    for (const ReportStep step : overflow ? report.afterOverflow : report.afterOtherError) {
        switch (step) {
            case ReportStep::HideRule:
                window.setRuleVisible(false);
                break;
            case ReportStep::PointerBack:
                window.setPointer(Pointer::Default);
                break;
            case ReportStep::Message:
                window.showMessage(errorMessageFor(errorNumber), MessageIcon::Critical);
                break;
            case ReportStep::Focus:
                window.setFocus(report.focus);
                break;
        }
    }
}

}  // namespace tavix
