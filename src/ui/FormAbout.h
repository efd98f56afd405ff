#pragma once

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace jk {

// The about box: a picture, three short hints, a credit line and "&OK".
class FormAbout final : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(QWidget* parent = nullptr);

    void Command1_Click();

    QLabel* Image1 = nullptr;
    std::array<QLabel*, 4> Label1{};
    QPushButton* Command1 = nullptr; // "&OK"
};

} // namespace jk
