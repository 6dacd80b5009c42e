#include "support/recording_window.hpp"

#include <algorithm>

#include "core/computations.hpp"

namespace tavix::testing {

// The boxes in the order of TextBox.
static_assert(static_cast<int>(TextBox::txt) == 3);
constexpr const char* kBoxNames[] = {"txtIni", "txtN", "txtV", "txt"};
constexpr std::string WindowState::*kBoxFields[] = {&WindowState::txtIni, &WindowState::txtN,
                                                    &WindowState::txtV, &WindowState::txt};

const char* nameOf(TextBox box) {
    return kBoxNames[static_cast<int>(box)];
}

const char* nameOf(FactorColumn column) {
    return column == FactorColumn::lblNumFat ? "lblNumFat" : "lblFator";
}

std::string rows(std::string caption) {
    std::replace(caption.begin(), caption.end(), kRowSeparator, '/');
    return caption;
}

std::string describe(const WindowState& s) {
    return "txtIni=[" + s.txtIni + "] txtN=[" + s.txtN + "] txtV=[" + s.txtV + "] txt=[" + s.txt +
           "] lblNumFat=[" + rows(s.lblNumFat) + "] lblFator=[" + rows(s.lblFator) +
           "] rule=" + (s.ruleVisible ? "shown" : "hidden") +
           " pointer=" + std::to_string(static_cast<int>(s.pointer)) +
           " focus=" + (s.focus ? nameOf(*s.focus) : "-");
}

WindowState withInterval(std::string ini, std::string last) {
    WindowState state;
    state.txtIni = std::move(ini);
    state.txtN = std::move(last);
    state.txt = "resultado anterior";
    state.focus = TextBox::txtN;
    return state;
}

RecordingWindow listed(const std::string& ini, const std::string& last, const NumberFormat& format,
                       bool recording) {
    RecordingWindow window(withInterval(ini, last));
    window.recording = recording;
    cmdCalc_Click(window, format);
    return window;
}

WindowState windowOnShow(int variant, std::string text) {
    WindowState state;
    state.txtV = std::move(text);
    switch (variant % 5) {
        case 1:
            state.lblNumFat = "12\r6\r3\r1";
            state.lblFator = "2\r2\r3";
            state.ruleVisible = true;
            state.focus = TextBox::txtV;
            break;
        case 2:
            state.ruleVisible = true;
            state.focus = TextBox::txtIni;
            break;
        case 3:
            state.lblFator = "5";
            state.focus = TextBox::txtN;
            break;
        case 4:
            state.txtIni = "10";
            state.txtN = "30";
            state.txt = "Total de 6 números primos: 11, 13, 17, 19, 23, 29";
            state.focus = TextBox::txtIni;
            break;
        default:
            break;
    }
    return state;
}

ResultTextPtr listingText(const std::string& first, const std::string& last) {
    RecordingWindow window(withInterval(first, last));
    window.recording = false;
    window.makeWholeText = false;
    cmdCalc_Click(window, fullStopFormat());
    return window.result;
}

std::vector<std::string> RecordingWindow::story() const {
    std::vector<std::string> lines = transcript;
    lines.push_back("end | " + describe(state));
    return lines;
}

std::string RecordingWindow::events() const {
    std::string seen;
    for (const std::string& call : calls) {
        if (call.starts_with("pointer") || call.starts_with("message") ||
            call.starts_with("focus")) {
            seen += seen.empty() ? "" : " | ";
            seen += call;
        }
    }
    return seen;
}

template <class Self>
auto& RecordingWindow::field(Self& self, TextBox box) {
    return self.state.*kBoxFields[static_cast<int>(box)];
}

template <class Self>
auto& RecordingWindow::field(Self& self, FactorColumn column) {
    return column == FactorColumn::lblNumFat ? self.state.lblNumFat : self.state.lblFator;
}

void RecordingWindow::log(std::string line) {
    if (recording)
        calls.push_back(std::move(line));
}

void RecordingWindow::observe(std::string event) {
    if (recording)
        transcript.push_back(event + " | " + describe(state));
    log(std::move(event));
}

std::string RecordingWindow::text(TextBox box) const {
    return field(*this, box);
}

void RecordingWindow::setBoxText(TextBox box, std::string text) {
    if (beforeWrite)
        beforeWrite();
    if (recording)
        log(std::string("text ") + nameOf(box) + "=" + text);
    field(*this, box) = std::move(text);
}

void RecordingWindow::setResultText(ResultTextPtr text) {
    if (beforeWrite)
        beforeWrite();
    if (makeWholeText) {
        std::string whole = text->toString();
        if (recording)
            log("text txt=" + whole);
        state.txt = std::move(whole);
    }
    result = std::move(text);
}

std::string RecordingWindow::caption(FactorColumn column) const {
    return field(*this, column);
}

void RecordingWindow::setCaption(FactorColumn column, std::string caption) {
    if (beforeWrite)
        beforeWrite();
    if (recording)
        log(std::string("caption ") + nameOf(column) + "=" + caption);
    field(*this, column) = std::move(caption);
}

void RecordingWindow::setRuleVisible(bool visible) {
    if (beforeWrite)
        beforeWrite();
    state.ruleVisible = visible;
    log(visible ? "rule shown" : "rule hidden");
}

void RecordingWindow::setPointer(Pointer pointer) {
    state.pointer = pointer;
    observe("pointer " + std::to_string(static_cast<int>(pointer)));
}

void RecordingWindow::setFocus(TextBox box) {
    state.focus = box;
    observe(std::string("focus ") + nameOf(box));
}

void RecordingWindow::showMessage(std::string_view message, MessageIcon icon) {
    messages.push_back({std::string(message), icon, state.pointer});
    observe("message " + std::to_string(static_cast<int>(icon)) + " " + std::string(message));
}

}  // namespace tavix::testing
