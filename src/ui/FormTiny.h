#pragma once

#include "ui/ModeWindow.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

namespace jk {

class MouseMoveRelay;
class TextSetSelector;
class WindowModes;
struct UiContext;

// The smallest window: a strip of "Big", "Curse !", the selector, the 24 send buttons in two
// rows of 12 and a one-line full-text label. Edits nothing but the choice of set.
class FormTiny final : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    FormTiny(UiContext& ui, WindowModes& modes);
    ~FormTiny() override;

    int windowSize() const override { return 3; }
    QWidget& widget() override { return *this; }

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Deactivate() override;
    void Form_Unload();
    void ShowTextSet(qint16 set);

    void Command1_Click();
    void Command2_Click(int index);
    void Command3_Click();
    void Command2_MouseMove(int index);

    TextSetSelector& selector() { return *selector_; }

    QPushButton* Command3 = nullptr; // "Big"
    QPushButton* Command1 = nullptr; // "Curse !"
    QComboBox* ComboTextSet = nullptr;
    std::array<QPushButton*, 24> Command2{};
    QLabel* LabelFullText = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    UiContext& ui_;
    WindowModes& modes_;
    std::unique_ptr<TextSetSelector> selector_;
    MouseMoveRelay* buttonMoves_ = nullptr;
};

} // namespace jk
