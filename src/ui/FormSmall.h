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

    QPushButton* Command1 = nullptr; // "Curse !"
    QComboBox* ComboTextSet = nullptr;
    QLabel* LabelFullText = nullptr;
    std::array<QPushButton*, 24> Command2{};
    std::array<QLineEdit*, 24> TextShort{};
    QPushButton* Command3 = nullptr; // "Display tiny window"

private:
    MouseMoveRelay* buttonMoves_ = nullptr;
    MouseMoveRelay* labelMoves_ = nullptr;
};

} // namespace jk
