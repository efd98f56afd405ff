#pragma once

#include <QDialog>

#include <array>
#include <memory>

class QLabel;
class QPushButton;

namespace jk {

class ScreenFit;
struct UiContext;

// The about box: a picture, three short hints, a credit line and "&OK"; with the program's
// context also "&Game windows…", the classes the player has linked.
class FormAbout final : public QDialog {
    Q_OBJECT
public:
    explicit FormAbout(UiContext* ui = nullptr, QWidget* parent = nullptr);
    ~FormAbout() override;

    // Scaled down where the screen of `over` could not hold it.
    void fitOnScreenOf(const QWidget& over);

    void Command1_Click();

    // Controls, by their table names and indices.
    QLabel* Image1() const { return image1_; }
    const std::array<QLabel*, 4>& Label1() const { return label1_; }
    QPushButton* Command1() const { return command1_; }       // "&OK"
    QPushButton* GameWindows() const { return gameWindows_; } // "&Game windows…"
    QPushButton* HotkeysButton() const { return hotkeys_; }   // "&Hotkeys…"

private:
    QLabel* image1_ = nullptr;
    std::array<QLabel*, 4> label1_{};
    QPushButton* command1_ = nullptr;
    QPushButton* gameWindows_ = nullptr;
    QPushButton* hotkeys_ = nullptr;
    std::unique_ptr<ScreenFit> fit_;
};

} // namespace jk
