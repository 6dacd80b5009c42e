#include "ui/desktop/window_placement.hpp"

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <xcb/xcb.h>

#include "ui/desktop/xcb_connection.hpp"

namespace tavix::ui {

namespace {

using x11::atom;
using x11::Owned;

Owned<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                         xcb_atom_t name, xcb_atom_t type, std::uint32_t length) {
    return {
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr),
        &std::free};
}

bool supportedByWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t what) {
    const auto supported =
        property(connection, root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (!supported || supported->format != 32) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const int count = xcb_get_property_value_length(supported.get()) / 4;
    return std::find(atoms, atoms + count, what) != atoms + count;
}

// left, right, top, bottom in _NET_FRAME_EXTENTS; empty when the window has none (yet).
std::optional<QMargins> readFrameExtents(xcb_connection_t* connection, xcb_window_t id,
                                         xcb_atom_t extents) {
    const auto reply = property(connection, id, extents, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16) {
        return std::nullopt;
    }
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

QMargins inWidgetPixels(const QMargins& device, qreal ratio) {
    return {qRound(device.left() / ratio), qRound(device.top() / ratio),
            qRound(device.right() / ratio), qRound(device.bottom() / ratio)};
}

// Centres `window` once more as soon as the window manager tells the frame it has put
// around it, if that frame is not the one the window was placed with. For window managers
// that tell the frame only once the window is mapped (kwin_x11, which does not answer
// _NET_REQUEST_FRAME_EXTENTS): the frame comes a moment after the mapping, and the move
// follows at once; with kwin's compositing the window first appears where it stays.
class FrameCorrection : public QObject, public QAbstractNativeEventFilter {
  public:
    FrameCorrection(QWidget* window, const QMargins& assumed, const QRect& area)
        : QObject(window),
          window_(window),
          id_(static_cast<xcb_window_t>(window->winId())),
          extents_(atom(x11::connection(), "_NET_FRAME_EXTENTS")),
          assumed_(assumed),
          area_(area),
          shown_(2000) {
        qGuiApp->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_property_notify_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY || event->window != id_ ||
            event->atom != extents_ || event->state != XCB_PROPERTY_NEW_VALUE) {
            return false;
        }
        const std::optional<QMargins> device = readFrameExtents(x11::connection(), id_, extents_);
        if (device && window_->windowHandle() != nullptr) {
            const QMargins frame =
                inWidgetPixels(*device, window_->windowHandle()->devicePixelRatio());
            // Only as the window first appears: later, the user may have moved it.
            if (frame != assumed_ && !shown_.hasExpired()) {
                window_->setGeometry(centredClientRect(area_, window_->size(), frame));
            }
        }
        qGuiApp->removeNativeEventFilter(this);
        deleteLater();
        return false;
    }

  private:
    QWidget* const window_;
    const xcb_window_t id_;
    const xcb_atom_t extents_;
    const QMargins assumed_;
    const QRect area_;
    const QDeadlineTimer shown_;
};

// The extents an X11 window manager will frame `window` with, in device pixels. The window
// exists but is not mapped yet: the manager answers the request by setting
// _NET_FRAME_EXTENTS on it, at once in practice.
QMargins x11FrameExtents(QWindow* window) {
    xcb_connection_t* connection = x11::connection();
    if (connection == nullptr) {
        return {};
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const Owned<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr), &std::free);
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    if (!tree || request == XCB_ATOM_NONE ||
        !supportedByWindowManager(connection, tree->root, request)) {
        return {};
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, tree->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 200ms;
    do {
        if (const std::optional<QMargins> frame = readFrameExtents(connection, id, extents)) {
            return *frame;
        }
        std::this_thread::sleep_for(2ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
}

}  // namespace

QRect centredClientRect(const QRect& area, const QSize& client, const QMargins& frame) {
    const QSize outer = client.grownBy(frame);
    const QPoint outerTopLeft(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                              area.y() + std::max(0, (area.height() - outer.height()) / 2));
    return {outerTopLeft + QPoint(frame.left(), frame.top()), client};
}

QMargins frameMarginsBeforeShowing(QWidget* window) {
    // Only an X11 window manager is asked, and only before the window is shown.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || window == nullptr ||
        !window->isWindow() || window->isVisible()) {
        return {};
    }
    window->winId();  // the native window the manager is asked about
    QWindow* handle = window->windowHandle();
    if (handle == nullptr) {
        return {};
    }
    return inWidgetPixels(x11FrameExtents(handle), handle->devicePixelRatio());
}

void placeAtScreenCentre(QWidget* window, const QWidget* screenOf, const QMargins& fallbackFrame) {
    QScreen* screen = screenOf != nullptr ? screenOf->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QMargins frame = frameMarginsBeforeShowing(window);
    const bool told = !frame.isNull();
    if (!told) {
        frame = fallbackFrame;
    }
    const QRect area = screen->availableGeometry();
    window->setGeometry(centredClientRect(area, window->size(), frame));
    if (!told && x11::connection() != nullptr && !window->isVisible()) {
        new FrameCorrection(window, frame, area);
    }
}

}  // namespace tavix::ui
