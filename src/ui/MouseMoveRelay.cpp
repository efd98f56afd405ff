#include "ui/MouseMoveRelay.h"

#include <QEvent>
#include <QWidget>

namespace jk {

MouseMoveRelay::MouseMoveRelay(Handler handler, QObject* parent)
    : QObject(parent)
    , handler_(std::move(handler)) {}

void MouseMoveRelay::watch(QWidget& control, int index) {
    indices_[&control] = index;
    // Moves without a pressed button only arrive with tracking on.
    control.setMouseTracking(true);
    control.installEventFilter(this);
}

bool MouseMoveRelay::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto it = indices_.find(watched);
        if (it != indices_.end())
            handler_(it->second);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace jk
