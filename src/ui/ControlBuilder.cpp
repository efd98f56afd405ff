#include "ui/ControlBuilder.h"

#include "ui/Appearance.h"
#include "ui/FieldComboBox.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace jk {

namespace {

using namespace controls;

QWidget* make(Kind kind, const QString& caption, QWidget& window) {
    switch (kind) {
    case Kind::Button:
        return new QPushButton(caption, &window);
    case Kind::TextBox: {
        auto* box = new QLineEdit(caption, &window);
        look::liftLengthLimit(*box);
        return box;
    }
    case Kind::Label:
    case Kind::WrappedLabel: {
        auto* label = new QLabel(caption, &window);
        label->setTextFormat(Qt::PlainText);
        if (kind == Kind::WrappedLabel) {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        return label;
    }
    case Kind::CheckBox:
        return new QCheckBox(caption, &window);
    case Kind::List:
        return new QComboBox(&window);
    case Kind::FieldList: {
        auto* box = new FieldComboBox(&window);
        box->setEditText(caption);
        return box;
    }
    case Kind::Picture:
        return new QLabel(&window);
    }
    return nullptr;
}

QFont fontOf(Font font) {
    switch (font) {
    case Font::Sans:
        return look::sansFont(false);
    case Font::SansBold:
        return look::sansFont(true);
    case Font::Numbers:
        return look::numberFont();
    case Font::Window:
        break;
    }
    return {};
}

void paint(QWidget& widget, Colour colour) {
    switch (colour) {
    case Colour::Window:
        break;
    case Colour::CyanOnBlack:
        look::paintCyanOnBlack(widget);
        break;
    case Colour::Black:
        look::paintBlack(widget);
        break;
    case Colour::White:
        look::paintWhite(widget);
        break;
    }
}

// Edges rounded down one by one, so that controls drawn side by side stay side by side.
QRect scaledRect(const Rect& r, double scale) {
    if (scale == 1.0)
        return twipsRect(r.left, r.top, r.width, r.height);
    const auto pixel = [scale](int twips) {
        return static_cast<int>(std::floor(twips * scale / TwipsPerPixel));
    };
    const int left = pixel(r.left), top = pixel(r.top);
    return {left, top, pixel(r.left + r.width) - left, pixel(r.top + r.height) - top};
}

} // namespace

BuiltControls::BuiltControls(QWidget& window, const controls::Window& table) {
    std::vector<std::pair<int, QWidget*>> order;
    for (const Control& row : table.controls) {
        for (int index = row.first; index <= row.last; ++index) {
            const QString caption = QString::fromUtf8(row.caption);
            QWidget* widget =
                make(row.kind, caption == u"%n" ? look::entryCaption(index) : caption, window);
            const std::string name = objectName(row.name, index);
            widget->setObjectName(QString::fromStdString(name));
            paint(*widget, row.colour);
            if (const int tab = tabOf(row, index); tab >= 0)
                order.emplace_back(tab, widget);
            byName_.emplace(name, widget);
        }
    }
    placeControls(window, table, 1.0);
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1].second, order[k].second);
}

void placeControls(QWidget& window, const controls::Window& table, double scale) {
    for (const Control& row : table.controls) {
        for (int index = row.first; index <= row.last; ++index) {
            auto* widget = window.findChild<QWidget*>(
                QString::fromStdString(objectName(row.name, index)), Qt::FindDirectChildrenOnly);
            if (widget == nullptr)
                continue;
            widget->setGeometry(scaledRect(rectOf(row, index), scale));
            if (row.font != Font::Window)
                widget->setFont(look::scaled(fontOf(row.font), scale));
        }
    }
}

QWidget* BuiltControls::widget(std::string_view name, int index) const {
    const auto it = byName_.find(controls::objectName(name, index));
    return it == byName_.end() ? nullptr : it->second;
}

} // namespace jk
