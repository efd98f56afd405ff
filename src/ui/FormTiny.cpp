#include "ui/FormTiny.h"

#include "phrasebook/PhraseBook.h"
#include "ui/ControlBuilder.h"
#include "ui/MouseMoveRelay.h"
#include "ui/TextSetSelector.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"

#include <QLabel>
#include <QPushButton>

namespace jk {

FormTiny::FormTiny(UiContext& ui, WindowModes& modes)
    : WorkingWindow(ui, modes, WindowSize::Tiny, Qt::Window) {
    setWindowTitle(QStringLiteral("Jeerkit"));
    // Sizable, but the controls stay where they are: no layout.
    resize(twipsToPixels(controls::tinyWindow().width),
           twipsToPixels(controls::tinyWindow().height));

    const BuiltControls built = buildControls(false);
    labelFullText_ = built.get<QLabel>("LabelFullText");
    // The label lies under the lower row of buttons, which overlap it by a pixel.
    labelFullText_->lower();

    buttonMoves_ = new MouseMoveRelay([this](int i) { Command2_MouseMove(i); }, this);
    for (int i = 0; i < EntryCount; ++i)
        buttonMoves_->watch(*Command2()[i], i);
}

FormTiny::~FormTiny() = default;

void FormTiny::ShowTextSet(qint16 /*set*/) {
    selector().select(ui_.book.CurrentTextSet);
    nameSendButtons();
}

void FormTiny::Command2_MouseMove(int index) {
    showFullText(*labelFullText_, index);
}

} // namespace jk
