#include "ui/desktop/x11_window_hints.hpp"

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

#include "ui/desktop/xcb_connection.hpp"

namespace tavix::ui::x11 {

namespace {

// How long a window that asked for the activation back waits for it, and how long it keeps it
// unchallenged once it has it: the window manager's own answers to the click that started the
// hold come within that time.
constexpr int kWaitMs = 500;
constexpr int kSettleMs = 150;
// When the X input focus is checked, after the window manager's answer to the request.
constexpr int kCheckMs = 60;

// Watches, for a window of the program that asked for the activation, the X focus events and
// the window manager's WM_TAKE_FOCUS messages, dropping those for the program's other windows.
class HoldFilter : public QAbstractNativeEventFilter {
  public:
    explicit HoldFilter(xcb_connection_t* connection)
        : connection_(connection),
          protocols_(atom(connection, "WM_PROTOCOLS")),
          takeFocus_(atom(connection, "WM_TAKE_FOCUS")) {}

    void expect(xcb_window_t window) {
        expected_ = window;
        focused_ = false;
        deadline_.setRemainingTime(kWaitMs);
        // Should the manager leave the focus in another window of the program (mutter, now and
        // then, right after a click), the program moves it itself, as the holder of the focus may.
        QTimer::singleShot(kCheckMs, qGuiApp, [this, window] {
            if (expected_ == window && !focused_ && !deadline_.hasExpired()) {
                focusIfOurs(window);
            }
        });
    }

    bool expecting(xcb_window_t window) const {
        return expected_ == window && window != XCB_NONE && !deadline_.hasExpired();
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (expected_ == XCB_NONE || type != "xcb_generic_event_t") {
            return false;
        }
        if (deadline_.hasExpired()) {
            expected_ = XCB_NONE;
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        switch (event->response_type & 0x7f) {
            case XCB_FOCUS_IN: {
                const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
                if (focus->event == expected_ && !focused_ &&
                    focus->detail != XCB_NOTIFY_DETAIL_POINTER &&
                    (focus->mode == XCB_NOTIFY_MODE_NORMAL ||
                     focus->mode == XCB_NOTIFY_MODE_WHILE_GRABBED)) {
                    focused_ = true;
                    deadline_.setRemainingTime(kSettleMs);
                }
                return false;
            }
            case XCB_CLIENT_MESSAGE: {
                // Qt would answer one by setting the focus on that other window again.
                const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
                return client->window != expected_ && client->format == 32 &&
                       client->type == protocols_ && client->data.data32[0] == takeFocus_;
            }
            default:
                return false;
        }
    }

  private:
    void focusIfOurs(xcb_window_t window) {
        const Owned<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr),
            &std::free);
        if (!focus || focus->focus == window) {
            return;
        }
        for (const QWindow* other : QGuiApplication::topLevelWindows()) {
            if (other->handle() != nullptr &&
                static_cast<xcb_window_t>(other->winId()) == focus->focus) {
                xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
                xcb_flush(connection_);
                return;
            }
        }
    }

    xcb_connection_t* const connection_;
    const xcb_atom_t protocols_;
    const xcb_atom_t takeFocus_;
    xcb_window_t expected_ = XCB_NONE;
    bool focused_ = false;
    QDeadlineTimer deadline_;
};

HoldFilter* holdFilter(bool create) {
    static std::unique_ptr<HoldFilter> filter;
    xcb_connection_t* x11 = connection();
    if (!filter && create && x11 != nullptr) {
        filter = std::make_unique<HoldFilter>(x11);
        qGuiApp->installNativeEventFilter(filter.get());
    }
    return filter.get();
}

}  // namespace

void makeDialogOf(QWidget* dialog, const QWidget* owner) {
    xcb_connection_t* x11 = connection();
    if (x11 == nullptr || dialog == nullptr || !dialog->isWindow() || dialog->isVisible()) {
        return;
    }
    dialog->winId();
    if (owner != nullptr && owner->windowHandle() != nullptr) {
        // Qt names the transient parent in WM_TRANSIENT_FOR as it maps the window.
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
    }
    // Qt keeps, as it maps the window, the states already set on it.
    const xcb_atom_t skipTaskbar = atom(x11, "_NET_WM_STATE_SKIP_TASKBAR");
    xcb_change_property(x11, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(dialog->winId()),
                        atom(x11, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &skipTaskbar);
    xcb_flush(x11);
}

void expectActivation(const QWidget* window) {
    if (HoldFilter* filter = holdFilter(true); filter != nullptr && window != nullptr) {
        filter->expect(static_cast<xcb_window_t>(window->winId()));
    }
}

bool activationExpected(const QWidget* window) {
    const HoldFilter* filter = holdFilter(false);
    return filter != nullptr && window != nullptr &&
           filter->expecting(static_cast<xcb_window_t>(window->winId()));
}

}  // namespace tavix::ui::x11
