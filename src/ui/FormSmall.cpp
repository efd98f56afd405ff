#include "ui/FormSmall.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
#include "ui/MouseMoveRelay.h"
#include "ui/StoreKeeper.h"
#include "ui/TextSetSelector.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace jk {

FormSmall::FormSmall(UiContext& ui, WindowModes& modes)
    : WorkingWindow(ui, modes, WindowSize::Small,
                    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Jeerkit "));
    setFixedSize(twipsToPixels(controls::smallWindow().width),
                 twipsToPixels(controls::smallWindow().height));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    const BuiltControls built = buildControls(false);
    labelFullText_ = built.get<QLabel>("LabelFullText");
    textShort_ = built.array<QLineEdit, EntryCount>("TextShort");

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    labelMoves_ = new MouseMoveRelay([this](int i) { TextShort_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i) {
        buttonMoves_->watch(*Command2()[i], i);
        labelMoves_->watch(*textShort_[i], i);
        connect(textShort_[i], &QLineEdit::textChanged, this, [this, i] { TextShort_Change(i); });
    }
}

FormSmall::~FormSmall() = default;

void FormSmall::ShowTextSet(qint16 set) {
    selector().select(ui_.book.CurrentTextSet);
    if (!PhraseBook::isSetIndex(set))
        return;
    for (int i = 0; i < EntryCount; ++i) {
        textShort_[i]->setText(ui_.book.EntryShort[set][i]);
        textShort_[i]->setCursorPosition(0); // read from the start
    }
    nameSendButtons();
}

void FormSmall::Command2_MouseMove(int index) {
    showFullText(*labelFullText_, index);
}

void FormSmall::TextShort_MouseMove(int index) {
    showFullText(*labelFullText_, index);
}

void FormSmall::TextShort_Change(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryShort[ui_.book.CurrentTextSet][index] = textShort_[index]->text();
    ui_.keeper.edited();
}

} // namespace jk
