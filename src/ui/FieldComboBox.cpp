#include "ui/FieldComboBox.h"

#include "ui/Appearance.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace jk {

namespace {

// While alive, whatever the combo box does on "editing finished" is undone: it would look
// the typed text up in the list and select the item it finds.
class KeepSelection {
public:
    KeepSelection(QComboBox& box, QLineEdit& field)
        : box_(box)
        , field_(field)
        , index_(box.currentIndex())
        , text_(field.text())
        , wasBlocked_(box.blockSignals(true)) {}
    ~KeepSelection() {
        if (box_.currentIndex() != index_) {
            box_.setCurrentIndex(index_);
            field_.setText(text_);
        }
        box_.blockSignals(wasBlocked_);
    }
    KeepSelection(const KeepSelection&) = delete;
    KeepSelection& operator=(const KeepSelection&) = delete;

private:
    QComboBox& box_;
    QLineEdit& field_;
    int index_;
    QString text_;
    bool wasBlocked_;
};

class TextOnlyField final : public QLineEdit {
public:
    explicit TextOnlyField(QComboBox& box)
        : QLineEdit(&box)
        , box_(box) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            KeepSelection keep(box_, *this);
            QLineEdit::keyPressEvent(event);
        } else {
            QLineEdit::keyPressEvent(event);
        }
    }
    void focusOutEvent(QFocusEvent* event) override {
        KeepSelection keep(box_, *this);
        QLineEdit::focusOutEvent(event);
    }

private:
    QComboBox& box_;
};

class WheelIgnorer final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::Wheel || QObject::eventFilter(watched, event);
    }
};

} // namespace

void ignoreWheel(QComboBox& box) {
    box.installEventFilter(new WheelIgnorer(&box));
}

FieldComboBox::FieldComboBox(QWidget* parent)
    : QComboBox(parent) {
    auto* field = new TextOnlyField(*this);
    look::liftLengthLimit(*field);
    setLineEdit(field);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would pick an item for a typed prefix.
    setCompleter(nullptr);
    // Setting the text puts the cursor at its end, and the field scrolls there.
    connect(this, &QComboBox::currentIndexChanged, field, [field] { field->setCursorPosition(0); });
}

} // namespace jk
