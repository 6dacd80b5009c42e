#include "ui/window_look.hpp"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

// The icon lives in a static library's resources, which the linker drops unless something
// refers to them: register them before the icon is first looked up.
static void registerTavixResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tavix);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace tavix::ui {

double contrastRatio(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& colour) {
        auto linear = [](double channel) {
            return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableGround(const QColor& ground, const QColor& text) {
    const QColor hsl = ground.toHsl();
    const float hue = std::max(hsl.hslHueF(), 0.0f);  // -1 for greys
    auto walk = [&](float step) {
        float lightness = hsl.lightnessF();
        QColor mended = ground;
        while (contrastRatio(mended, text) < kReadableContrast && lightness > 0 && lightness < 1) {
            lightness = std::clamp(lightness + step, 0.0f, 1.0f);
            mended = QColor::fromHslF(hue, hsl.hslSaturationF(), lightness).toRgb();
        }
        return mended;
    };
    // Away from the text first; a middle grey text reads only on the far side.
    const float away = text.lightnessF() > ground.lightnessF() ? -0.01f : 0.01f;
    const QColor mended = walk(away);
    return contrastRatio(mended, text) >= kReadableContrast ? mended : walk(-away);
}

QPalette fixedLook(const QColor& background, const QPalette& desktop) {
    QPalette look;  // nothing set: every role follows the desktop
    look.setColor(QPalette::Window, background);
    look.setColor(QPalette::WindowText, kFixedText);
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::Base, QPalette::Text},
        {QPalette::Button, QPalette::ButtonText},
        {QPalette::Highlight, QPalette::HighlightedText}};
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [groundRole, textRole] : pairs) {
            const QColor ground = desktop.color(group, groundRole);
            const QColor mended = readableGround(ground, desktop.color(group, textRole));
            if (mended != ground) {
                look.setColor(group, groundRole, mended);
            }
        }
    }
    return look;
}

namespace {

// Gives a window its palette again whenever the desktop's palette changes.
class FixedLookKeeper : public QObject {
  public:
    FixedLookKeeper(QWidget* window, const QColor& background)
        : QObject(window), window_(window), background_(background) {
        apply();
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::ApplicationPaletteChange) {
            apply();
        }
        return false;
    }

  private:
    void apply() { window_->setPalette(fixedLook(background_, QGuiApplication::palette())); }

    QWidget* window_;
    QColor background_;
};

}  // namespace

void keepFixedLook(QWidget* window, const QColor& background) {
    new FixedLookKeeper(window, background);
}

QFont arial(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

QPixmap programPixmap(qreal devicePixelRatio) {
    registerTavixResources();
    if (devicePixelRatio <= 1) {
        return QPixmap(QStringLiteral(":/tavix.png"));
    }
    return programIcon().pixmap(QSize(100, 100), devicePixelRatio);
}

QIcon programIcon() {
    registerTavixResources();
    // The picture itself, and its renders at the sizes desktops ask for: the larger ones keep
    // the icon sharp on high-density screens, where the 100-pixel picture would be enlarged.
    QIcon icon(QStringLiteral(":/tavix.png"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/tavix-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QColor focusMarkColour(const QPalette& palette) {
    const QColor ground = palette.color(QPalette::Window);
    const QColor highlight = palette.color(QPalette::Highlight);
    return contrastRatio(highlight, ground) >= kFocusMarkContrast
               ? highlight
               : palette.color(QPalette::WindowText);
}

void drawFocusMark(QPainter& painter, const QRect& area, const QPalette& palette) {
    painter.save();
    painter.setPen(QPen(focusMarkColour(palette), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(area).adjusted(1, 1, -1, -1));
    painter.restore();
}

namespace {

// The focus mark of one window: a frame round its focused control, above every control.
class FocusMark : public QWidget {
  public:
    explicit FocusMark(QWidget* window) : QWidget(window) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
        connect(qApp, &QApplication::focusChanged, this, [this] { follow(); });
        follow();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFocusMark(painter, rect(), parentWidget()->palette());
    }

  private:
    void follow() {
        QWidget* window = parentWidget();
        QWidget* focus = window->focusWidget();
        if (focus == nullptr || focus == window || !focus->isVisible()) {
            hide();
            return;
        }
        const QRect control(focus->mapTo(window, QPoint(0, 0)), focus->size());
        setGeometry(control.adjusted(-kFocusMarkMargin, -kFocusMarkMargin, kFocusMarkMargin,
                                     kFocusMarkMargin));
        // Cut out the control itself: the mark never covers what it surrounds.
        setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(2, 2, -2, -2))));
        raise();
        show();
        update();
    }
};

}  // namespace

void showFocusMarks(QWidget* window) {
    new FocusMark(window);
}

}  // namespace tavix::ui
