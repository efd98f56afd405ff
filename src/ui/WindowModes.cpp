#include "ui/WindowModes.h"

#include "gamelink/GameLink.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/StoredValue.h"
#include "phrasebook/TextSetStore.h"
#include "ui/ScreenFit.h"
#include "ui/StoreKeeper.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"
#include "ui/WorkingWindow.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace jk {

namespace {

struct PositionKeys {
    const QString& top;
    const QString& left;
};

PositionKeys positionKeys(WindowSize size) {
    switch (size) {
    case WindowSize::Small:
        return {layout::SmallTop, layout::SmallLeft};
    case WindowSize::Tiny:
        return {layout::TinyTop, layout::TinyLeft};
    case WindowSize::Main:
        break;
    }
    return {layout::MainTop, layout::MainLeft};
}

// The cycle of the switch buttons: main -> small -> tiny -> main.
WindowSize nextWindowSize(WindowSize size) {
    return WindowSize(int(size) % 3 + 1);
}

bool isNormal(const QWidget& widget) {
    return !(widget.windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// A position that is not a number counts as missing.
float readPosition(const SettingsStore& store, const QString& key) {
    return stored::parseSingle(store.read(layout::Settings, key, QStringLiteral("0")))
        .value_or(0.0f);
}

// The stored window size, compared as a number; anything else, a text that is no number
// included, means main.
WindowSize windowSizeNumber(const QString& stored) {
    const std::optional<float> value = stored::parseSingle(stored);
    if (value && (*value == 2.0f || *value == 3.0f))
        return WindowSize(static_cast<int>(*value));
    return WindowSize::Main;
}

} // namespace

WindowModes::WindowModes(UiContext& ui)
    : ui_(ui) {}

void WindowModes::setWindows(WorkingWindow& main, Create create) {
    windows_[std::size_t(WindowSize::Main)] = &main;
    create_ = std::move(create);
}

bool WindowModes::startIn(const QString& storedWindowSize) {
    const WindowSize size = windowSizeNumber(storedWindowSize);
    if (size == WindowSize::Main)
        return false;
    handedOver_ = true;
    show(obtain(size));
    return true;
}

void WindowModes::showMain() {
    show(*window(WindowSize::Main));
}

WorkingWindow* WindowModes::window(WindowSize size) const {
    return windows_[std::size_t(size)];
}

WorkingWindow& WindowModes::obtain(WindowSize size) {
    WorkingWindow*& slot = windows_[std::size_t(size)];
    if (!slot) {
        slot = &create_(size);
        slot->Form_Load();
    }
    return *slot;
}

void WindowModes::show(WorkingWindow& target) {
    target.show();
    target.raise();
    target.activateWindow();
    WorkingWindow* source = active_;
    active_ = &target;
    if (source && source != &target)
        source->Form_Deactivate();
    target.Form_Activate();
}

void WindowModes::switchFrom(WorkingWindow& source) {
    WorkingWindow& target = obtain(nextWindowSize(source.windowSize()));
    show(target);
    source.hide();
}

void WindowModes::returnTo(WorkingWindow& window) {
    window.activateWindow();
    active_ = &window;
    window.Form_Activate();
}

void WindowModes::activated(WorkingWindow& window) {
    ui_.store.write(layout::Settings, layout::WindowSize,
                    QString::number(int(window.windowSize())));
    applyTopMost(window);
    ui_.keeper.flushSoon();
}

void WindowModes::restorePosition(WorkingWindow& window) {
    const PositionKeys keys = positionKeys(window.windowSize());
    const float top = readPosition(ui_.store, keys.top);
    const float left = readPosition(ui_.store, keys.left);
    window.move(twipsToPixels(left), twipsToPixels(top));
    // Where the player cannot reach it (another desktop size, another scale), it is brought
    // onto the screen and scaled down to fit.
    window.screenFit().fit();
}

void WindowModes::storePosition(WorkingWindow& window) {
    if (!isNormal(window))
        return;
    const PositionKeys keys = positionKeys(window.windowSize());
    const QPoint position = window.pos(); // the outer frame's top-left corner
    ui_.store.write(layout::Settings, keys.top, stored::formatSingle(pixelsToTwips(position.y())));
    ui_.store.write(layout::Settings, keys.left, stored::formatSingle(pixelsToTwips(position.x())));
}

void WindowModes::applyTopMost(QWidget& window) {
    setTopMost(window, ui_.book.AlwaysOnTop);
}

void WindowModes::setTopMost(QWidget& window, bool onTop) {
    ui_.platform.setTopMost(static_cast<platform::WindowId>(window.winId()), onTop);
}

void WindowModes::closeActive() {
    // Nobody may be there to answer a question: a save that fails now is rescued, not asked
    // about, and an open box would only hold the ending up.
    ui_.keeper.endUnattended();
    for (QWidget* box = QApplication::activeModalWidget(); box;) {
        if (auto* dialog = qobject_cast<QDialog*>(box))
            dialog->reject();
        else
            box->close();
        QWidget* next = QApplication::activeModalWidget();
        box = next != box ? next : nullptr;
    }
    if (ending_)
        return; // the close sequence runs already: its question was just dismissed
    if (!active_) {
        // Before the first window: the phrase book is not loaded yet, so saving now would
        // overwrite the store with defaults. Start-up carries the close out when it is done.
        endPending_ = true;
        return;
    }
    closeFrom(*active_);
}

bool WindowModes::closeIfAsked() {
    if (!endPending_ || ending_)
        return ending_;
    closeFrom(active_ ? *active_ : *window(WindowSize::Main));
    return true;
}

bool WindowModes::closeFrom(WorkingWindow& window) {
    if (ending_)
        return false;
    ending_ = true;
    saveFrom(window);

    // Every window goes at once; none of the others runs its own close handling.
    for (WorkingWindow* w : windows_)
        if (w)
            w->hide();
    ui_.endProgram();
    return true;
}

void WindowModes::saveWithoutDisplay() {
    // Before the first window the phrase book is not loaded: nothing to save yet.
    if (ending_ || !active_)
        return;
    ending_ = true;
    ui_.keeper.endUnattended();
    saveFrom(*active_);
}

void WindowModes::saveFrom(WorkingWindow& window) {
    // A line still waiting for its pause is not typed into a program that is going away.
    ui_.link.Stop();
    PhraseBook& book = ui_.book;
    SettingsStore& store = ui_.store;
    const QString current = QString::number(book.CurrentTextSet);
    if (window.windowSize() == WindowSize::Main) {
        store.write(layout::Settings, layout::CurrentTextSet, current);
        storePosition(window);
    } else {
        storePosition(window);
        if (book.CurrentTextSet >= 0)
            store.write(layout::Settings, layout::CurrentTextSet, current);
    }
    SaveAllTextSets(book, store);
    ui_.keeper.flushAtClose();
}

} // namespace jk
