#include "ui/FormSmall.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
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
    setFixedSize(twipsToPixels(controls::smallWindow().width),
                 twipsToPixels(controls::smallWindow().height));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    const BuiltControls built(*this, controls::smallWindow());
    c_.Command1 = built.get<QPushButton>("Command1");
    c_.ComboTextSet = built.get<QComboBox>("ComboTextSet");
    c_.LabelFullText = built.get<QLabel>("LabelFullText");
    c_.Command2 = built.array<QPushButton, EntryCount>("Command2");
    c_.TextShort = built.array<QLineEdit, EntryCount>("TextShort");
    c_.Command3 = built.get<QPushButton>("Command3");

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    labelMoves_ = new MouseMoveRelay([this](int i) { TextShort_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i) {
        buttonMoves_->watch(*c_.Command2[i], i);
        labelMoves_->watch(*c_.TextShort[i], i);
    }
    c_.Command1->setFocus();

    connectCommon(*c_.Command1, *c_.Command3, *c_.ComboTextSet, c_.Command2);
    for (int i = 0; i < EntryCount; ++i)
        connect(c_.TextShort[i], &QLineEdit::textChanged, this, [this, i] { TextShort_Change(i); });
}

FormSmall::~FormSmall() = default;

void FormSmall::ShowTextSet(qint16 set) {
    selector().select(ui_.book.CurrentTextSet);
    if (!PhraseBook::isSetIndex(set))
        return;
    for (int i = 0; i < EntryCount; ++i) {
        c_.TextShort[i]->setText(ui_.book.EntryShort[set][i]);
        c_.TextShort[i]->setCursorPosition(0); // read from the start
    }
}

void FormSmall::Command2_MouseMove(int index) {
    showFullText(*c_.LabelFullText, index);
}

void FormSmall::TextShort_MouseMove(int index) {
    showFullText(*c_.LabelFullText, index);
}

void FormSmall::TextShort_Change(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryShort[ui_.book.CurrentTextSet][index] = c_.TextShort[index]->text();
    ui_.keeper.edited();
}

} // namespace jk
