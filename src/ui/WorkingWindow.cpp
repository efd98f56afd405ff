#include "ui/WorkingWindow.h"

#include "gamelink/GameLink.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/TextSetStore.h"
#include "ui/AccessibleNames.h"
#include "ui/Appearance.h"
#include "ui/HotkeyDialogs.h"
#include "ui/Hotkeys.h"
#include "ui/ScreenFit.h"
#include "ui/StoreKeeper.h"
#include "ui/TextSetSelector.h"
#include "ui/UiContext.h"
#include "ui/WindowModes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace jk {

WorkingWindow::WorkingWindow(UiContext& ui, WindowModes& modes, WindowSize size,
                             Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
    , ui_(ui)
    , modes_(modes)
    , size_(size) {
    setWindowIcon(look::windowIcon());
}

WorkingWindow::~WorkingWindow() = default;

BuiltControls WorkingWindow::buildControls(bool renames) {
    BuiltControls built(*this, controls::workingWindow(size_));
    command1_ = built.get<QPushButton>("Command1");
    command3_ = built.get<QPushButton>("Command3");
    comboTextSet_ = built.get<QComboBox>("ComboTextSet");
    command2_ = built.array<QPushButton, EntryCount>("Command2");
    selector_ = std::make_unique<TextSetSelector>(*comboTextSet_, ui_, renames,
                                                  [this](qint16 set) { ShowTextSet(set); });
    connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(command3_, &QPushButton::clicked, this, [this] { Command3_Click(); });
    for (int i = 0; i < EntryCount; ++i)
        connect(command2_[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    offerHotkey(*command1_, layout::HotkeyCurse);
    for (int i = 0; i < EntryCount; ++i)
        offerHotkey(*command2_[i], i);
    // The first control in the keyboard order has the focus when the window opens.
    command1_->setFocus();
    accessible::nameControls(built);
    fit_ = std::make_unique<ScreenFit>(*this, controls::workingWindow(size_));
    return built;
}

void WorkingWindow::Form_Load() {
    modes_.restorePosition(*this);
    selector_->refill();
    selector_->select(ui_.book.CurrentTextSet);
}

void WorkingWindow::Form_Activate() {
    modes_.activated(*this);
    // Sets are renamed only in the main window, whose list is built once; the others list
    // the names afresh each time.
    if (size_ != WindowSize::Main)
        selector_->refill();
    // Shows what another window changed meanwhile.
    ShowTextSet(ui_.book.CurrentTextSet);
}

void WorkingWindow::Form_Deactivate() {
    // The main window's place is stored only by its close sequence.
    if (size_ != WindowSize::Main)
        modes_.storePosition(*this);
}

void WorkingWindow::Form_Unload() {
    modes_.closeFrom(*this);
}

void WorkingWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void WorkingWindow::Command1_Click() {
    ui_.link.SendCurse();
}

void WorkingWindow::Command2_Click(int index) {
    ui_.link.SendEntry(static_cast<qint16>(index));
}

void WorkingWindow::Command3_Click() {
    modes_.switchFrom(*this);
}

void WorkingWindow::offerHotkey(QPushButton& button, int action) {
    button.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        &button, &QWidget::customContextMenuRequested, this, [this, &button, action](QPoint at) {
            if (ui_.hotkeys == nullptr)
                return;
            QMenu menu(this);
            const QKeySequence key = ui_.hotkeys->key(action);
            menu.addAction(key.isEmpty()
                               ? QStringLiteral("Set &hotkey…")
                               : QStringLiteral("Set &hotkey… (now %1)").arg(Hotkeys::text(key)),
                           this, [this, action] { editHotkey(this, *ui_.hotkeys, action); });
            menu.exec(button.mapToGlobal(at));
        });
}

void WorkingWindow::stepTextSet(int step) {
    PhraseBook& book = ui_.book;
    if (book.hasCurrentSet()) {
        SaveTextSet(book, ui_.store, book.CurrentTextSet + 1);
        ui_.keeper.flushSoon();
    }
    const int from = book.hasCurrentSet() ? book.CurrentTextSet : 0;
    selector_->select((from + step + SetCount) % SetCount);
}

void WorkingWindow::nameSendButtons() {
    if (!ui_.book.hasCurrentSet())
        return;
    for (int i = 0; i < EntryCount; ++i)
        accessible::nameSendButton(*command2_[i], i,
                                   ui_.book.EntryLong[ui_.book.CurrentTextSet][i]);
}

void WorkingWindow::showFullText(QLabel& label, int index) {
    if (ui_.book.hasCurrentSet())
        label.setText(ui_.book.EntryLong[ui_.book.CurrentTextSet][index]);
}

} // namespace jk
