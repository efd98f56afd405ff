#pragma once

#include <QComboBox>

namespace jk {

// A combo box with an editable field in which typing is only text: it never inserts an item
// and never selects one, not even when the typed text matches an item and the field is left
// or Enter is pressed. Only choosing from the list (or the program) changes the selection.
// The field shows the start of a chosen item that is wider than the field.
class FieldComboBox final : public QComboBox {
    Q_OBJECT
public:
    explicit FieldComboBox(QWidget* parent = nullptr);
};

// The mouse wheel over the box changes nothing: only choosing an item does.
void ignoreWheel(QComboBox& box);

} // namespace jk
