#pragma once

#include "ui/ModeWindow.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

namespace jk {

class TextSetSelector;
class WindowModes;
struct UiContext;

// What the small and the tiny window have in common: they send from the current set, choose
// the set in a list that cannot be typed into, show an entry's full text under the pointer,
// and switch and close through the window-mode rules.
class CompactWindow : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    CompactWindow(UiContext& ui, WindowModes& modes, Qt::WindowFlags flags);
    ~CompactWindow() override;

    QWidget& widget() override { return *this; }

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Deactivate() override;
    void Form_Unload();
    // Shows the current set in this window.
    virtual void ShowTextSet(qint16 set) = 0;

    void Command1_Click();
    void Command2_Click(int index);
    void Command3_Click();

    TextSetSelector& selector() { return *selector_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Wires "Curse !", the switch button, the send buttons and the selector; the derived
    // window calls it once its controls exist.
    void connectCommon(QPushButton& curse, QPushButton& next, QComboBox& sets,
                       const std::array<QPushButton*, 24>& send);
    // The full text of entry index of the current set, into label.
    void showFullText(QLabel& label, int index);

    UiContext& ui_;
    WindowModes& modes_;

private:
    std::unique_ptr<TextSetSelector> selector_;
};

} // namespace jk
