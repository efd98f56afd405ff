#pragma once

#include "ui/WorkingWindow.h"

class QLabel;

namespace jk {

class MouseMoveRelay;

// The smallest window: a strip of "Big" (Command3), "Curse !", the selector, the 24 send
// buttons in two rows of 12 and a one-line full-text label. Edits nothing but the choice of
// set.
class FormTiny final : public WorkingWindow {
    Q_OBJECT
public:
    FormTiny(UiContext& ui, WindowModes& modes);
    ~FormTiny() override;

    void ShowTextSet(qint16 set) override;

    void Command2_MouseMove(int index);

    QLabel* LabelFullText() const { return labelFullText_; }

private:
    QLabel* labelFullText_ = nullptr;
    MouseMoveRelay* buttonMoves_ = nullptr;
};

} // namespace jk
