#include "ui/desktop/title_bar.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace tavix::ui::desktop {

namespace {

constexpr int kCloseBoxSize = 24;
constexpr int kCloseBoxMargin = 7;

// The desktop's colours, not the window's own fixed look: the bar belongs to the desktop.
QPalette desktopPalette() {
    return QGuiApplication::palette();
}

// The bar's ground: a shade off the desktop's window colour, as GNOME draws it.
QColor barColour(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    return window.lightness() > 128 ? window.darker(106) : window.lighter(125);
}

QColor edgeColour(const QPalette& palette) {
    return palette.color(QPalette::Mid);
}

// Repaints `widget` whenever the desktop's colours change.
bool isPaletteChange(const QEvent* event) {
    return event->type() == QEvent::ApplicationPaletteChange ||
           event->type() == QEvent::PaletteChange;
}

class CloseBox : public QAbstractButton {
  public:
    explicit CloseBox(QWidget* parent) : QAbstractButton(parent) {
        setObjectName(QStringLiteral("closeBox"));
        setAccessibleName(QStringLiteral("Fechar"));
        setToolTip(QStringLiteral("Fechar"));
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(kCloseBoxSize, kCloseBoxSize);
        setAttribute(Qt::WA_Hover);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QPalette palette = desktopPalette();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor text = palette.color(QPalette::WindowText);
        if (isDown() || underMouse()) {
            QColor ground = text;
            ground.setAlphaF(isDown() ? 0.28F : 0.14F);
            painter.setPen(Qt::NoPen);
            painter.setBrush(ground);
            painter.drawEllipse(rect());
        }
        painter.setPen(QPen(text, 1.5));
        const QRectF cross = QRectF(rect()).adjusted(8, 8, -8, -8);
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
    }
    void changeEvent(QEvent* event) override {
        if (isPaletteChange(event)) {
            update();
        }
        QAbstractButton::changeEvent(event);
    }
};

class TitleBar : public QWidget {
  public:
    explicit TitleBar(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("titleBar"));
        setFocusPolicy(Qt::NoFocus);
        setGeometry(0, 0, window->width(), kTitleBarHeight);
        auto* close = new CloseBox(this);
        close->move(width() - kCloseBoxMargin - kCloseBoxSize,
                    (kTitleBarHeight - kCloseBoxSize) / 2);
        connect(close, &QAbstractButton::clicked, window, &QWidget::close);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QPalette palette = desktopPalette();
        QPainter painter(this);
        painter.fillRect(rect(), barColour(palette));
        painter.setPen(edgeColour(palette));
        painter.drawLine(0, height() - 1, width(), height() - 1);
        QFont font = QGuiApplication::font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(palette.color(QPalette::WindowText));
        const int room = width() - 2 * (kCloseBoxSize + 2 * kCloseBoxMargin);
        const QString title =
            painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, room);
        painter.drawText(rect(), Qt::AlignCenter, title);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr) {
            window()->windowHandle()->startSystemMove();
        }
        event->accept();
    }
    void changeEvent(QEvent* event) override {
        if (isPaletteChange(event) || event->type() == QEvent::WindowTitleChange) {
            update();
        }
        QWidget::changeEvent(event);
    }
};

// The window's outline, one pixel wide, above every control and taking no mouse event.
class Edge : public QWidget {
  public:
    explicit Edge(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("windowEdge"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window->rect());
        setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(1, 1, -1, -1))));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), edgeColour(desktopPalette()));
    }
    void changeEvent(QEvent* event) override {
        if (isPaletteChange(event)) {
            update();
        }
        QWidget::changeEvent(event);
    }
};

}  // namespace

void addTitleBar(QWidget* window) {
    // The window's type alone, frameless: with any of the hints of the desktop's title bar,
    // Qt drops the frameless one.
    window->setWindowFlags((window->windowFlags() & Qt::WindowType_Mask) | Qt::FramelessWindowHint);
    for (QObject* child : window->children()) {
        if (auto* control = qobject_cast<QWidget*>(child)) {
            control->move(control->pos() + QPoint(0, kTitleBarHeight));
        }
    }
    window->setFixedSize(window->minimumWidth(), window->minimumHeight() + kTitleBarHeight);
    new TitleBar(window);
    new Edge(window);
}

}  // namespace tavix::ui::desktop
