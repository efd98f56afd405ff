#include "ui/CompactWindow.h"

#include "gamelink/GameLink.h"
#include "phrasebook/PhraseBook.h"
#include "ui/TextSetSelector.h"
#include "ui/UiContext.h"
#include "ui/WindowModes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace jk {

CompactWindow::CompactWindow(UiContext& ui, WindowModes& modes, Qt::WindowFlags flags)
    : QWidget(nullptr, flags)
    , ui_(ui)
    , modes_(modes) {}

CompactWindow::~CompactWindow() = default;

void CompactWindow::connectCommon(QPushButton& curse, QPushButton& next, QComboBox& sets,
                                  const std::array<QPushButton*, 24>& send) {
    selector_ = std::make_unique<TextSetSelector>(sets, ui_, false,
                                                  [this](qint16 set) { ShowTextSet(set); });
    connect(&curse, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(&next, &QPushButton::clicked, this, [this] { Command3_Click(); });
    for (int i = 0; i < EntryCount; ++i)
        connect(send[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
}

void CompactWindow::Form_Load() {
    modes_.restorePosition(*this);
    selector_->refill();
    selector_->select(ui_.book.CurrentTextSet);
}

void CompactWindow::Form_Activate() {
    modes_.activated(*this);
    // Names may have changed in the main window since the last time.
    selector_->refill();
    ShowTextSet(ui_.book.CurrentTextSet);
}

void CompactWindow::Form_Deactivate() {
    modes_.storePosition(*this);
}

void CompactWindow::Form_Unload() {
    modes_.closeFrom(*this);
}

void CompactWindow::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void CompactWindow::Command1_Click() {
    ui_.link.SendCurse();
}

void CompactWindow::Command2_Click(int index) {
    ui_.link.SendEntry(static_cast<qint16>(index));
}

void CompactWindow::Command3_Click() {
    modes_.switchFrom(*this);
}

void CompactWindow::showFullText(QLabel& label, int index) {
    if (ui_.book.hasCurrentSet())
        label.setText(ui_.book.EntryLong[ui_.book.CurrentTextSet][index]);
}

} // namespace jk
