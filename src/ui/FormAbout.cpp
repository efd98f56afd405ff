#include "ui/FormAbout.h"

#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
#include "ui/GamePicker.h"
#include "ui/HotkeyDialogs.h"
#include "ui/ScreenFit.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QPushButton>

namespace jk {

FormAbout::FormAbout(UiContext* ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(controls::aboutBox().width),
                 twipsToPixels(controls::aboutBox().height));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    const BuiltControls built(*this, controls::aboutBox());
    image1_ = built.get<QLabel>("Image1");
    image1_->setPixmap(look::aboutPicture());
    image1_->setScaledContents(true); // follows the box when it is drawn smaller
    image1_->setAccessibleName(
        QStringLiteral("A castle by night under the moon, and Huzzah! in a speech bubble"));
    label1_ = built.array<QLabel, 4>("Label1");
    command1_ = built.get<QPushButton>("Command1");
    command1_->setDefault(true);
    command1_->setFocus();
    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    gameWindows_ = built.get<QPushButton>("GameWindows");
    // Without the program's context (a lone box) there are no linked classes to show.
    gameWindows_->setEnabled(ui != nullptr);
    if (ui != nullptr)
        connect(gameWindows_, &QPushButton::clicked, this,
                [this, ui] { showLinkedGameWindows(this, *ui); });
    hotkeys_ = built.get<QPushButton>("Hotkeys");
    hotkeys_->setEnabled(ui != nullptr && ui->hotkeys != nullptr);
    if (ui != nullptr)
        connect(hotkeys_, &QPushButton::clicked, this, [this, ui] {
            if (ui->hotkeys != nullptr)
                showHotkeys(this, *ui->hotkeys);
        });
    fit_ = std::make_unique<ScreenFit>(*this, controls::aboutBox());
}

FormAbout::~FormAbout() = default;

void FormAbout::fitOnScreenOf(const QWidget& over) {
    // Measured where it opens, over the window; it is centred there when shown.
    const QPoint placed = pos();
    const bool moved = testAttribute(Qt::WA_Moved);
    move(over.pos());
    fit_->fit();
    move(placed);
    setAttribute(Qt::WA_Moved, moved);
}

// Hides the box; it is shown again unchanged next time.
void FormAbout::Command1_Click() {
    accept();
}

} // namespace jk
