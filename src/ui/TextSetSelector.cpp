#include "ui/TextSetSelector.h"

#include "phrasebook/PhraseBook.h"
#include "phrasebook/TextSetStore.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QSignalBlocker>

namespace jk {

namespace {

bool countsAsEnteringOrLeaving(const QComboBox& combo, const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    // Opening the list is still working in the selector, and the player switching to the
    // game and back is not moving between controls. The first opening of a list in a run
    // moves the focus a second time, for no reason it names, while the list shows.
    const QWidget* list = combo.view() ? combo.view()->window() : nullptr;
    const QWidget* now = QApplication::focusWidget();
    const bool inList = list && (list->isVisible() || (now && list->isAncestorOf(now)));
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !inList;
}

} // namespace

TextSetSelector::TextSetSelector(QComboBox& combo, UiContext& ui, bool renames, ShowTextSet show,
                                 QObject* parent)
    : QObject(parent)
    , combo_(combo)
    , ui_(ui)
    , renames_(renames)
    , show_(std::move(show)) {
    connect(&combo_, &QComboBox::currentIndexChanged, this, [this] { ComboTextSet_Click(); });
    combo_.installEventFilter(this);
}

void TextSetSelector::refill() {
    const QSignalBlocker quiet(combo_);
    combo_.clear();
    for (int s = 0; s < SetCount; ++s)
        combo_.addItem(ui_.book.SetName[s]);
    combo_.setCurrentIndex(-1);
}

void TextSetSelector::select(int position) {
    combo_.setCurrentIndex(position >= 0 && position < combo_.count() ? position : -1);
}

void TextSetSelector::ComboTextSet_Click() {
    const int position = combo_.currentIndex();
    if (position < 0) {
        // Nothing selected: put the current set back. Runs this handler once more when that
        // selects something.
        select(ui_.book.CurrentTextSet);
        return;
    }
    ui_.book.CurrentTextSet = static_cast<qint16>(position);
    show_(ui_.book.CurrentTextSet);
}

void TextSetSelector::ComboTextSet_GotFocus() {
    ui_.book.CurrentTextSet = static_cast<qint16>(combo_.currentIndex());
    if (ui_.book.CurrentTextSet >= 0)
        saveCurrentSet();
}

void TextSetSelector::ComboTextSet_LostFocus() {
    PhraseBook& book = ui_.book;
    const qint16 current = book.CurrentTextSet;
    if (!book.hasCurrentSet())
        return;
    if (renames_)
        book.SetName[current] = combo_.currentText();
    {
        // Replacing the item must not move the selection to a neighbour: that would switch sets.
        const QSignalBlocker quiet(combo_);
        combo_.removeItem(current);
        combo_.insertItem(current, book.SetName[current]);
        combo_.setCurrentIndex(-1);
    }
    saveCurrentSet();
    select(current);
}

void TextSetSelector::saveCurrentSet() {
    SaveTextSet(ui_.book, ui_.store, ui_.book.CurrentTextSet + 1);
    ui_.keeper.flushSoon();
}

bool TextSetSelector::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &combo_) {
        // Switching sets goes through the selector's focus, which saves the set left behind;
        // the wheel would switch without it.
        if (event->type() == QEvent::Wheel && !combo_.hasFocus())
            return true;
        if (event->type() == QEvent::FocusIn && countsAsEnteringOrLeaving(combo_, event))
            ComboTextSet_GotFocus();
        else if (event->type() == QEvent::FocusOut && countsAsEnteringOrLeaving(combo_, event))
            ComboTextSet_LostFocus();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace jk
