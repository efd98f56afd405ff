#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace jk {

struct UiContext;

// The about box: a picture, three short hints, a credit line and "&OK"; with the program's
// context also "&Game windows…", the classes the player has linked.
class FormAbout final : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(UiContext* ui = nullptr, QWidget* parent = nullptr);

    void Command1_Click();

    QLabel* Image1 = nullptr;
    std::array<QLabel*, 4> Label1{};
    QPushButton* Command1 = nullptr;    // "&OK"
    QPushButton* GameWindows = nullptr; // "&Game windows…"
};

} // namespace jk
