#pragma once

#include "ui/ModeWindow.h"
#include "ui/TextSetSelector.h"
#include "ui/WindowModes.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jk {

class FieldComboBox;
class FormAbout;
class FormSmall;
class FormTiny;
struct UiContext;

// The start-up window and the only one in which phrases are edited: one text set as 24 rows
// (send button, long text, short label, speech style, Enter), with the curse button, the
// prefix and variable boxes, the text-set selector and "Always on top" above them. It owns
// the other windows and the window-mode rules.
class FormMain final : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    explicit FormMain(UiContext& ui);
    ~FormMain() override;

    int windowSize() const override { return 1; }
    QWidget& widget() override { return *this; }

    // The start-up sequence.
    void Form_Load() override;
    void Form_Activate() override;
    // Closing this window: its close sequence, then the program ends.
    void Form_Unload();
    void ShowTextSet(qint16 set);

    void Command1_Click();
    void Command2_Click(int index);
    void Command3_Click();
    void Command4_Click();
    void CheckAlwaysOnTop_Click();
    void CheckEnter_Click(int index);
    void ComboSay_Click(int index);
    void TextLong_Change(int index);
    void TextShort_Change(int index);

    WindowModes& modes() { return modes_; }
    FormSmall* smallWindow() const { return small_.get(); }
    FormTiny* tinyWindow() const { return tiny_.get(); }
    FormAbout* aboutBox() const { return about_.get(); }

    // Controls, named and indexed as the handlers refer to them.
    QPushButton* Command1 = nullptr; // "Curse !"
    QPushButton* Command3 = nullptr; // "Display small window"
    QPushButton* Command4 = nullptr; // "About"
    FieldComboBox* ComboTextSet = nullptr;
    QCheckBox* CheckAlwaysOnTop = nullptr;
    QLineEdit* Prefix = nullptr;
    std::array<QLineEdit*, 6> TextVar{};
    std::array<QLabel*, 7> Label1{};
    std::array<QPushButton*, 24> Command2{};
    std::array<QLineEdit*, 24> TextLong{};
    std::array<QLineEdit*, 24> TextShort{};
    std::array<QComboBox*, 24> ComboSay{};
    std::array<QCheckBox*, 24> CheckEnter{};

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createTopControls();
    void createRows();
    void setTabOrder();
    void connectHandlers();
    ModeWindow& createWindow(int windowSize);

    UiContext& ui_;
    WindowModes modes_;
    std::unique_ptr<TextSetSelector> selector_;
    std::unique_ptr<FormSmall> small_;
    std::unique_ptr<FormTiny> tiny_;
    std::unique_ptr<FormAbout> about_;
};

} // namespace jk
