#include "ui/FormAbout.h"

#include "ui/Appearance.h"
#include "ui/GamePicker.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace jk {

namespace {

struct Text {
    int index;
    const char* text;
    int top, height;
};

// Top to bottom: 0, 1, 3, 2.
constexpr Text Texts[] = {
    {0,
     "Enter your favourite UO phrases in one of the 24 slots and choose 'Say', 'Yell', "
     "'Whisper' or 'Emote'.",
     120, 645},
    {1,
     "Click on 'Curse' for a random curse in the Elizabethan language that is spoken in "
     "Britannia.",
     840, 645},
    {3,
     "For detailed instructions please read the README.WRI file that you can find in the "
     "directory in which you installed the Jeerkit Tool.",
     1590, 885},
    {2,
     "Jeerkit is made by the Jeerkit developers. Comments and ideas are welcome on the "
     "project's issue tracker.",
     2580, 885},
};

} // namespace

FormAbout::FormAbout(UiContext* ui, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QString());
    setFixedSize(twipsToPixels(5190), twipsToPixels(3480));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    Image1 = new QLabel(this);
    Image1->setPixmap(look::aboutPicture());
    place(*Image1, 90, 90, 1545, 2640);

    for (const Text& t : Texts) {
        auto* label = new QLabel(QString::fromUtf8(t.text), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        look::paintCyanOnBlack(*label);
        place(*label, 1800, t.top, 3255, t.height);
        Label1[t.index] = label;
    }

    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    place(*Command1, 90, 3000, 1680, 375);
    Command1->setDefault(true);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    if (ui != nullptr) {
        // Below OK, on a strip added to the box, so that no text is covered.
        GameWindows = new QPushButton(QStringLiteral("&Game windows…"), this);
        place(*GameWindows, 90, 3480, 1680, 375);
        setFixedSize(twipsToPixels(5190), twipsToPixels(3960));
        connect(GameWindows, &QPushButton::clicked, this,
                [this, ui] { showLinkedGameWindows(this, *ui); });
    }
}

// Hides the box; it is shown again unchanged next time.
void FormAbout::Command1_Click() {
    accept();
}

} // namespace jk
