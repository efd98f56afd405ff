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

    // Controls, by their table names and indices.
    QPushButton* Command3() const { return c_.Command3; } // "Big"
    QPushButton* Command1() const { return c_.Command1; } // "Curse !"
    QComboBox* ComboTextSet() const { return c_.ComboTextSet; }
    const std::array<QPushButton*, 24>& Command2() const { return c_.Command2; }
    QLabel* LabelFullText() const { return c_.LabelFullText; }

private:
    struct Controls {
        QPushButton* Command3 = nullptr;
        QPushButton* Command1 = nullptr;
        QComboBox* ComboTextSet = nullptr;
        std::array<QPushButton*, 24> Command2{};
        QLabel* LabelFullText = nullptr;
    };
    Controls c_;
    MouseMoveRelay* buttonMoves_ = nullptr;
};

} // namespace jk
