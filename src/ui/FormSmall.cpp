#include "ui/FormSmall.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Appearance.h"
#include "ui/MouseMoveRelay.h"
#include "ui/StoreKeeper.h"
#include "ui/TextSetSelector.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"
#include "ui/WindowModes.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace jk {

FormSmall::FormSmall(UiContext& ui, WindowModes& modes)
    : CompactWindow(ui, modes,
                    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Jeerkit "));
    setWindowIcon(look::windowIcon());
    setFixedSize(twipsToPixels(2340), twipsToPixels(6870));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    Command1 = new QPushButton(QStringLiteral("Curse !"), this);
    place(*Command1, 90, 120, 2190, 795);

    ComboTextSet = new QComboBox(this);
    place(*ComboTextSet, 90, 960, 2175, 315);

    LabelFullText = makeFullTextLabel();
    place(*LabelFullText, 90, 1350, 2175, 615);

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    labelMoves_ = new MouseMoveRelay([this](int i) { TextShort_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i) {
        const int column = i < 12 ? 0 : 1;
        const int top = 2040 + 360 * (i % 12);
        auto* send = new QPushButton(look::entryCaption(i), this);
        send->setFont(look::numberFont());
        place(*send, column == 0 ? 90 : 1230, top, 330, 315);
        Command2[i] = send;
        buttonMoves_->watch(*send, i);

        auto* label = new QLineEdit(this);
        label->setFont(look::sansFont(false));
        look::liftLengthLimit(*label);
        place(*label, column == 0 ? 450 : 1590, top, 690, 315);
        TextShort[i] = label;
        labelMoves_->watch(*label, i);
    }

    Command3 = new QPushButton(QStringLiteral("Display tiny window"), this);
    place(*Command3, 90, 6360, 2190, 435);

    QWidget* previous = Command1;
    auto chain = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    chain(ComboTextSet);
    for (QPushButton* send : Command2)
        chain(send);
    for (QLineEdit* label : TextShort)
        chain(label);
    chain(Command3);
    Command1->setFocus();

    connectCommon(*Command1, *Command3, *ComboTextSet, Command2);
    for (int i = 0; i < EntryCount; ++i)
        connect(TextShort[i], &QLineEdit::textChanged, this, [this, i] { TextShort_Change(i); });
}

FormSmall::~FormSmall() = default;

void FormSmall::ShowTextSet(qint16 set) {
    selector().select(ui_.book.CurrentTextSet);
    if (!PhraseBook::isSetIndex(set))
        return;
    for (int i = 0; i < EntryCount; ++i) {
        TextShort[i]->setText(ui_.book.EntryShort[set][i]);
        TextShort[i]->setCursorPosition(0); // read from the start
    }
}

void FormSmall::Command2_MouseMove(int index) {
    showFullText(*LabelFullText, index);
}

void FormSmall::TextShort_MouseMove(int index) {
    showFullText(*LabelFullText, index);
}

void FormSmall::TextShort_Change(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryShort[ui_.book.CurrentTextSet][index] = TextShort[index]->text();
    ui_.keeper.edited();
}

} // namespace jk
