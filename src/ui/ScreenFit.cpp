#include "ui/ScreenFit.h"

#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionComplex>
#include <QWidget>

#include <algorithm>

namespace jk {

namespace {

// Smaller than this nothing can be read any more; the window then sticks out.
constexpr double SmallestScale = 0.25;

// Frames are known only once a window has been shown, and windows are fitted before: until
// then room is left for a usual title bar and border (none on the offscreen platform, which
// draws no frames).
constexpr QMargins UsualFrame(4, 30, 4, 4);

QSize drawnSize(const controls::Window& table) {
    return {twipsToPixels(table.width), twipsToPixels(table.height)};
}

// The screen under the middle of the frame, else the one it overlaps most, else the primary.
QScreen* screenFor(const QRect& frame) {
    if (QScreen* under = QGuiApplication::screenAt(frame.center()))
        return under;
    QScreen* best = QGuiApplication::primaryScreen();
    qint64 most = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(frame);
        if (qint64(common.width()) * common.height() > most) {
            most = qint64(common.width()) * common.height();
            best = screen;
        }
    }
    return best;
}

// The largest scale, at most 1, at which a client area drawn `drawn` pixels large fits into
// `available` with the frame around it.
double fittingScale(QSize drawn, QMargins frame, QRect available) {
    const double across = double(available.width() - frame.left() - frame.right()) / drawn.width();
    const double down = double(available.height() - frame.top() - frame.bottom()) / drawn.height();
    return std::clamp(std::min(across, down), SmallestScale, 1.0);
}

// The frame's top-left corner moved by as little as possible to bring it into `available`
// (to its top-left corner where it cannot fit).
QPoint keptOn(QRect frame, QRect available) {
    const auto along = [](int at, int length, int first, int room) {
        return std::max(first, std::min(at, first + room - length));
    };
    return {along(frame.left(), frame.width(), available.left(), available.width()),
            along(frame.top(), frame.height(), available.top(), available.height())};
}

// The desktop's style with its fixed-size parts (check marks, the drop-down arrow) drawn at
// the window's scale, so that they shrink with the controls instead of being cut off.
class ScaledStyle final : public QProxyStyle {
public:
    explicit ScaledStyle(double scale)
        : scale_(scale) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_CheckBoxLabelSpacing:
            return std::max(1, int(size * scale_));
        default:
            return size;
        }
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control != CC_ComboBox || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField))
            return rect;
        // The arrow narrower by the scale, the field wider by as much.
        const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
        const int spare = arrow.width() - int(arrow.width() * scale_);
        const bool rightToLeft = option->direction == Qt::RightToLeft;
        if (part == SC_ComboBoxArrow)
            return rightToLeft ? rect.adjusted(0, 0, -spare, 0) : rect.adjusted(spare, 0, 0, 0);
        return rightToLeft ? rect.adjusted(-spare, 0, 0, 0) : rect.adjusted(0, 0, spare, 0);
    }

private:
    double scale_;
};

} // namespace

ScreenFit::ScreenFit(QWidget& window, const controls::Window& table)
    : window_(window)
    , table_(table)
    , design_(window.font())
    , fixedSize_(window.minimumSize() == window.maximumSize()) {}

QMargins ScreenFit::frameMargins() const {
    const QRect outer = window_.frameGeometry(), inner = window_.geometry();
    const QMargins own(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (!own.isNull() || QGuiApplication::platformName() == u"offscreen")
        return own;
    return UsualFrame;
}

void ScreenFit::fit() {
    const QMargins frame = frameMargins();
    // The position is the frame's top-left corner.
    const auto outer = [&](QSize client) {
        return QRect(window_.pos(), client.grownBy(frame));
    };
    const QRect available = screenFor(outer(drawnSize(table_)))->availableGeometry();
    const double scale = fittingScale(drawnSize(table_), frame, available);
    if (scale != scale_)
        scaleTo(scale);
    if (const QPoint on = keptOn(outer(window_.size()), available); on != window_.pos())
        window_.move(on);
}

void ScreenFit::scaleTo(double scale) {
    scale_ = scale;
    window_.setFont(look::scaled(design_, scale));
    placeControls(window_, table_, scale);
    QStyle* const previous = style_;
    style_ = scale < 1.0 ? new ScaledStyle(scale) : nullptr;
    if (style_ != nullptr)
        style_->setParent(&window_);
    // A style set on a widget does not pass to its children: each control gets it.
    for (QWidget* control : window_.findChildren<QWidget*>())
        control->setStyle(style_);
    delete previous;
    const QSize drawn = drawnSize(table_);
    const QSize size(int(drawn.width() * scale), int(drawn.height() * scale));
    if (fixedSize_)
        window_.setFixedSize(size);
    else
        window_.resize(size);
}

} // namespace jk
