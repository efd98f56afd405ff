#pragma once

#include "ui/ControlBuilder.h"
#include "ui/WindowSize.h"

#include <QWidget>

#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;

namespace jk {

class ScreenFit;
class TextSetSelector;
class WindowModes;
struct UiContext;

// One of the three windows the player works in. Each sends from the current set with its
// "Curse !" and 24 numbered buttons, chooses the set in its selector, switches to the next
// window with Command3, and ends the program through its close sequence; the window-mode
// rules decide when it is shown, active and placed.
class WorkingWindow : public QWidget {
    Q_OBJECT
public:
    ~WorkingWindow() override;

    WindowSize windowSize() const { return size_; }
    // Its scale and place on the screen it opens on.
    ScreenFit& screenFit() { return *fit_; }

    // Creation: restore the position, set up the controls.
    virtual void Form_Load();
    // It became the active one of the program's own windows.
    void Form_Activate();
    // Another of the program's own windows became the active one.
    void Form_Deactivate();
    // Its close sequence, then the program ends.
    void Form_Unload();
    // Shows a set in this window.
    virtual void ShowTextSet(qint16 set) = 0;

    void Command1_Click();
    void Command2_Click(int index);
    void Command3_Click();
    // Shows the set step places after the current one (before it, for -1), saved first like a
    // switch in the selector.
    void stepTextSet(int step);

    // Controls all three have, by their table names.
    QPushButton* Command1() const { return command1_; } // "Curse !"
    QPushButton* Command3() const { return command3_; } // the switch button
    QComboBox* ComboTextSet() const { return comboTextSet_; }
    const std::array<QPushButton*, 24>& Command2() const { return command2_; }

protected:
    WorkingWindow(UiContext& ui, WindowModes& modes, WindowSize size, Qt::WindowFlags flags);

    // Makes the controls from the window's table and wires those all three have; the selector
    // renames the current set where its field can be typed into.
    BuiltControls buildControls(bool renames);
    void closeEvent(QCloseEvent* event) override;
    // Tells screen readers what each send button types, from the current set.
    void nameSendButtons();
    // The full text of entry index of the current set, into label.
    void showFullText(QLabel& label, int index);
    // A right-click on the button offers its hotkey.
    void offerHotkey(QPushButton& button, int action);
    TextSetSelector& selector() { return *selector_; }

    UiContext& ui_;
    WindowModes& modes_;

private:
    WindowSize size_;
    QPushButton* command1_ = nullptr;
    QPushButton* command3_ = nullptr;
    QComboBox* comboTextSet_ = nullptr;
    std::array<QPushButton*, 24> command2_{};
    std::unique_ptr<TextSetSelector> selector_;
    std::unique_ptr<ScreenFit> fit_;
};

} // namespace jk
