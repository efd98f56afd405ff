#include "ui/FormTiny.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Appearance.h"
#include "ui/MouseMoveRelay.h"
#include "ui/TextSetSelector.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"
#include "ui/WindowModes.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace jk {

FormTiny::FormTiny(UiContext& ui, WindowModes& modes)
    : CompactWindow(ui, modes, Qt::Window) {
    setWindowTitle(QStringLiteral("Jeerkit"));
    setWindowIcon(look::windowIcon());
    // Sizable, but the controls stay where they are: no layout.
    resize(twipsToPixels(6150), twipsToPixels(975));

    const QFont bold = look::sansFont(true);
    Command3 = new QPushButton(QStringLiteral("Big"), this);
    Command3->setFont(bold);
    place(*Command3, 0, 0, 720, 615);

    Command1 = new QPushButton(QStringLiteral("Curse !"), this);
    Command1->setFont(bold);
    place(*Command1, 720, 0, 1470, 615);

    ComboTextSet = new QComboBox(this);
    ComboTextSet->setFont(bold);
    place(*ComboTextSet, 0, 630, 2175, 315);

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i) {
        auto* send = new QPushButton(look::entryCaption(i), this);
        send->setFont(look::numberFont());
        place(*send, 2190 + 330 * (i % 12), i < 12 ? 0 : 300, 330, 315);
        Command2[i] = send;
        buttonMoves_->watch(*send, i);
    }

    LabelFullText = makeFullTextLabel();
    LabelFullText->setFont(bold);
    place(*LabelFullText, 2190, 600, 3975, 375);
    // The label lies under the lower row of buttons, which overlap it by a pixel.
    LabelFullText->lower();

    QWidget* previous = Command1;
    auto chain = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (QPushButton* send : Command2)
        chain(send);
    chain(ComboTextSet);
    chain(Command3);
    Command1->setFocus();

    connectCommon(*Command1, *Command3, *ComboTextSet, Command2);
}

FormTiny::~FormTiny() = default;

void FormTiny::ShowTextSet(qint16 /*set*/) {
    selector().select(ui_.book.CurrentTextSet);
}

void FormTiny::Command2_MouseMove(int index) {
    showFullText(*LabelFullText, index);
}

} // namespace jk
