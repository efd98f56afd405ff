#pragma once

#include "ui/ModeWindow.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jk {

class MouseMoveRelay;
class TextSetSelector;
class WindowModes;
struct UiContext;

// The compact window: "Curse !", the selector, the full text of the entry under the
// pointer, and the 24 send buttons in two columns with their editable short labels.
class FormSmall final : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    FormSmall(UiContext& ui, WindowModes& modes);
    ~FormSmall() override;

    int windowSize() const override { return 2; }
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
    void TextShort_MouseMove(int index);
    void TextShort_Change(int index);

    TextSetSelector& selector() { return *selector_; }

    QPushButton* Command1 = nullptr; // "Curse !"
    QComboBox* ComboTextSet = nullptr;
    QLabel* LabelFullText = nullptr;
    std::array<QPushButton*, 24> Command2{};
    std::array<QLineEdit*, 24> TextShort{};
    QPushButton* Command3 = nullptr; // "Display tiny window"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showFullText(int index);

    UiContext& ui_;
    WindowModes& modes_;
    std::unique_ptr<TextSetSelector> selector_;
    MouseMoveRelay* buttonMoves_ = nullptr;
    MouseMoveRelay* labelMoves_ = nullptr;
};

} // namespace jk
