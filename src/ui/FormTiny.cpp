#include "ui/FormTiny.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
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
    resize(twipsToPixels(controls::tinyWindow().width),
           twipsToPixels(controls::tinyWindow().height));

    const BuiltControls built(*this, controls::tinyWindow());
    c_.Command3 = built.get<QPushButton>("Command3");
    c_.Command1 = built.get<QPushButton>("Command1");
    c_.ComboTextSet = built.get<QComboBox>("ComboTextSet");
    c_.Command2 = built.array<QPushButton, EntryCount>("Command2");
    c_.LabelFullText = built.get<QLabel>("LabelFullText");
    // The label lies under the lower row of buttons, which overlap it by a pixel.
    c_.LabelFullText->lower();

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i)
        buttonMoves_->watch(*c_.Command2[i], i);
    c_.Command1->setFocus();

    connectCommon(*c_.Command1, *c_.Command3, *c_.ComboTextSet, c_.Command2);
}

FormTiny::~FormTiny() = default;

void FormTiny::ShowTextSet(qint16 /*set*/) {
    selector().select(ui_.book.CurrentTextSet);
}

void FormTiny::Command2_MouseMove(int index) {
    showFullText(*c_.LabelFullText, index);
}

} // namespace jk
