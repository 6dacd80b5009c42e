// A window made of plain values that records every call the computations make.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/texts.hpp"
#include "core/window.hpp"

namespace tavix::testing {

struct WindowState {
    std::string txtIni, txtN, txtV, txt;
    std::string lblNumFat, lblFator;
    bool ruleVisible = false;
    Pointer pointer = Pointer::Default;
    std::optional<TextBox> focus;

    bool operator==(const WindowState&) const = default;
};

const char* nameOf(TextBox box);
const char* nameOf(FactorColumn column);

class RecordingWindow : public Window {
  public:
    RecordingWindow() = default;
    explicit RecordingWindow(WindowState initial) : state(std::move(initial)) {}

    // What the window shows now. Tests may set it before a click. A result text written to
    // txt is made into one string here, whole.
    WindowState state;
    // The result text last written to txt, as the computation handed it over.
    ResultTextPtr result;

    // Every call, in order, one readable line each ("text txt=…", "pointer 11",
    // "focus txtIni", "message 16 Valor acima da memória.", …).
    std::vector<std::string> calls;

    // The moments a person can observe (pointer, focus, message box), each with the state
    // of every control at that moment. Writes in between are not painted while a
    // computation runs, so two computations that agree on this agree on what is seen.
    std::vector<std::string> transcript;

    // Whether to log writes in `calls` and to keep the transcript (off for benchmarks).
    bool recording = true;
    // Whether a result text becomes state.txt, whole (off where only `result` is read).
    bool makeWholeText = true;

    // Called before every write to the window; a test may throw from it to provoke an error.
    std::function<void()> beforeWrite;

    // Message boxes shown, in order.
    struct Message {
        std::string text;
        MessageIcon icon;
        Pointer pointerWhenShown;
    };
    std::vector<Message> messages;

    // The transcript followed by the final state: the whole visible story of a click.
    std::vector<std::string> story() const;
    // The moments a person sees (pointer, message boxes, focus), without the writes in
    // between, joined by " | ".
    std::string events() const;

    std::string text(TextBox box) const override;
    void setResultText(ResultTextPtr text) override;
    std::string caption(FactorColumn column) const override;
    void setCaption(FactorColumn column, std::string caption) override;
    void setRuleVisible(bool visible) override;
    void setPointer(Pointer pointer) override;
    void setFocus(TextBox box) override;
    void showMessage(std::string_view message, MessageIcon icon) override;

  protected:
    void setBoxText(TextBox box, std::string text) override;

  private:
    template <class Self>
    static auto& field(Self& self, TextBox box);
    template <class Self>
    static auto& field(Self& self, FactorColumn column);
    void log(std::string line);
    void observe(std::string event);
};

// A window where an interval was typed, with an earlier result on show and the focus in txtN.
WindowState withInterval(std::string ini, std::string last);

// "Calcular" clicked on such a window; with `recording` false its calls are not kept (for
// long listings).
RecordingWindow listed(const std::string& ini, const std::string& last,
                       const NumberFormat& format = fullStopFormat(), bool recording = true);

// Windows a click may find, by number (taken modulo 5): empty, a finished table, the rule
// over empty columns, a right column without its rule, a listing on show; txtV holds `text`.
// What a click does not own, it must leave as it is.
WindowState windowOnShow(int variant, std::string text);

// The listing from `first` to `last` as "Calcular" hands it to the window: made on demand.
ResultTextPtr listingText(const std::string& first, const std::string& last);

// A factor column with its rows separated by '/', for reading.
std::string rows(std::string caption);

// The state as one readable line; carriage returns in the columns print as '/'.
std::string describe(const WindowState& state);

}  // namespace tavix::testing
