#pragma once

#include "ui/CompactWindow.h"

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace jk {

class MouseMoveRelay;

// The smallest window: a strip of "Big", "Curse !", the selector, the 24 send buttons in two
// rows of 12 and a one-line full-text label. Edits nothing but the choice of set.
class FormTiny final : public CompactWindow {
    Q_OBJECT
public:
    FormTiny(UiContext& ui, WindowModes& modes);
    ~FormTiny() override;

    int windowSize() const override { return 3; }
    void ShowTextSet(qint16 set) override;

    void Command2_MouseMove(int index);

    QPushButton* Command3 = nullptr; // "Big"
    QPushButton* Command1 = nullptr; // "Curse !"
    QComboBox* ComboTextSet = nullptr;
    std::array<QPushButton*, 24> Command2{};
    QLabel* LabelFullText = nullptr;

private:
    MouseMoveRelay* buttonMoves_ = nullptr;
};

} // namespace jk
