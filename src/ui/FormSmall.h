#pragma once

#include "ui/WorkingWindow.h"

#include <array>

class QLabel;
class QLineEdit;

namespace jk {

class MouseMoveRelay;

// The compact window: "Curse !", the selector, the full text of the entry under the
// pointer, and the 24 send buttons in two columns with their editable short labels.
class FormSmall final : public WorkingWindow {
    Q_OBJECT
public:
    FormSmall(UiContext& ui, WindowModes& modes);
    ~FormSmall() override;

    void ShowTextSet(qint16 set) override;

    void Command2_MouseMove(int index);
    void TextShort_MouseMove(int index);
    void TextShort_Change(int index);

    // Controls, by their table names and indices; Command3 is "Display tiny window".
    QLabel* LabelFullText() const { return labelFullText_; }
    const std::array<QLineEdit*, 24>& TextShort() const { return textShort_; }

private:
    QLabel* labelFullText_ = nullptr;
    std::array<QLineEdit*, 24> textShort_{};
    MouseMoveRelay* buttonMoves_ = nullptr;
    MouseMoveRelay* labelMoves_ = nullptr;
};

} // namespace jk
