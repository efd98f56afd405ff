#pragma once

#include "ui/WindowModes.h"
#include "ui/WorkingWindow.h"

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jk {

class FormAbout;
class FormSmall;
class FormTiny;
struct UiContext;

// The start-up window and the only one in which phrases are edited: one text set as 24 rows
// (send button, long text, short label, speech style, Enter), with the curse button, the
// prefix and variable boxes, the text-set selector and "Always on top" above them. It owns
// the other windows and the window-mode rules.
class FormMain final : public WorkingWindow {
    Q_OBJECT
public:
    explicit FormMain(UiContext& ui);
    ~FormMain() override;

    // The start-up sequence.
    void Form_Load() override;
    void ShowTextSet(qint16 set) override;

    void Command4_Click();
    void CheckAlwaysOnTop_Click();
    void CheckEnter_Click(int index);
    void ComboSay_Click(int index);
    void TextLong_Change(int index);
    void TextShort_Change(int index);

    WindowModes& modes() { return rules_; }
    FormAbout* aboutBox() const { return about_.get(); }

    // Controls, by their table names and indices.
    QPushButton* Command4() const { return c_.Command4; } // "About"
    QCheckBox* CheckAlwaysOnTop() const { return c_.CheckAlwaysOnTop; }
    QLineEdit* Prefix() const { return c_.Prefix; }
    const std::array<QLineEdit*, 6>& TextVar() const { return c_.TextVar; }
    const std::array<QLabel*, 7>& Label1() const { return c_.Label1; }
    const std::array<QLineEdit*, 24>& TextLong() const { return c_.TextLong; }
    const std::array<QLineEdit*, 24>& TextShort() const { return c_.TextShort; }
    const std::array<QComboBox*, 24>& ComboSay() const { return c_.ComboSay; }
    const std::array<QCheckBox*, 24>& CheckEnter() const { return c_.CheckEnter; }

private:
    struct Controls {
        QPushButton* Command4 = nullptr;
        QCheckBox* CheckAlwaysOnTop = nullptr;
        QLineEdit* Prefix = nullptr;
        std::array<QLineEdit*, 6> TextVar{};
        std::array<QLabel*, 7> Label1{};
        std::array<QLineEdit*, 24> TextLong{};
        std::array<QLineEdit*, 24> TextShort{};
        std::array<QComboBox*, 24> ComboSay{};
        std::array<QCheckBox*, 24> CheckEnter{};
    };

    void connectHandlers();
    WorkingWindow& createWindow(WindowSize size);

    Controls c_;
    // The window-mode rules of all three windows; the base class reaches them as modes_.
    WindowModes rules_;
    std::unique_ptr<FormSmall> small_;
    std::unique_ptr<FormTiny> tiny_;
    std::unique_ptr<FormAbout> about_;
};

} // namespace jk
