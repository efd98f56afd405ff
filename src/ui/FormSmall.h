#pragma once

#include "ui/CompactWindow.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jk {

class MouseMoveRelay;

// The compact window: "Curse !", the selector, the full text of the entry under the
// pointer, and the 24 send buttons in two columns with their editable short labels.
class FormSmall final : public CompactWindow {
    Q_OBJECT
public:
    FormSmall(UiContext& ui, WindowModes& modes);
    ~FormSmall() override;

    int windowSize() const override { return 2; }
    void ShowTextSet(qint16 set) override;

    void Command2_MouseMove(int index);
    void TextShort_MouseMove(int index);
    void TextShort_Change(int index);

    // Controls, by their table names and indices.
    QPushButton* Command1() const { return c_.Command1; } // "Curse !"
    QComboBox* ComboTextSet() const { return c_.ComboTextSet; }
    QLabel* LabelFullText() const { return c_.LabelFullText; }
    const std::array<QPushButton*, 24>& Command2() const { return c_.Command2; }
    const std::array<QLineEdit*, 24>& TextShort() const { return c_.TextShort; }
    QPushButton* Command3() const { return c_.Command3; } // "Display tiny window"

private:
    struct Controls {
        QPushButton* Command1 = nullptr;
        QComboBox* ComboTextSet = nullptr;
        QLabel* LabelFullText = nullptr;
        std::array<QPushButton*, 24> Command2{};
        std::array<QLineEdit*, 24> TextShort{};
        QPushButton* Command3 = nullptr;
    };
    Controls c_;
    MouseMoveRelay* buttonMoves_ = nullptr;
    MouseMoveRelay* labelMoves_ = nullptr;
};

} // namespace jk
