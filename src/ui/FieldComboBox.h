#pragma once

#include <QComboBox>

namespace jk {

// A combo box with an editable field in which typing is only text: it never inserts an item
// and never selects one, not even when the typed text matches an item and the field is left
// or Enter is pressed. Only choosing from the list (or the program) changes the selection.
class FieldComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit FieldComboBox(QWidget* parent = nullptr);
};

} // namespace jk
