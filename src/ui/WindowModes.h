#pragma once

#include "ui/WindowSize.h"

#include <QString>

#include <array>
#include <functional>

class QWidget;

namespace jk {

class WorkingWindow;
struct UiContext;

// The rules the three working windows follow together: which one is shown and active,
// switching main -> small -> tiny -> main, where each one is placed and when that is
// remembered, the always-on-top layer, and the close sequence that ends the program.
//
// Activation is driven from here, not from the window manager's notion of the active
// window: Form_Activate and Form_Deactivate run exactly when the active one of the program's
// own windows changes, so the player clicking into the game and back stores nothing.
class WindowModes {
public:
    // Creates the small or tiny window the first time it is needed.
    using Create = std::function<WorkingWindow&(WindowSize size)>;

    explicit WindowModes(UiContext& ui);

    // The main window exists from the start; the other two are made by create.
    void setWindows(WorkingWindow& main, Create create);

    // Last step of the start-up sequence: shows the small or tiny window when that is the
    // stored size (the main window then stays hidden). True when it handed over.
    bool startIn(const QString& storedWindowSize);
    bool handedOver() const { return handedOver_; }
    // Shows the main window at start-up and activates it.
    void showMain();

    // Command3_Click of every window: show the next window in the cycle, hide this one.
    void switchFrom(WorkingWindow& source);
    // The program's active window returns to this one (the about box closed).
    void returnTo(WorkingWindow& window);

    // The first duties of every Form_Activate: store "WindowSize", apply the top-most state.
    void activated(WorkingWindow& window);
    // Form_Load of every window: its position from its two keys, kept on the screen.
    void restorePosition(WorkingWindow& window);
    // Its position under its two keys, when its state is normal.
    void storePosition(WorkingWindow& window);

    // Top-most or not, as AlwaysOnTop says.
    void applyTopMost(QWidget& window);
    void setTopMost(QWidget& window, bool onTop);

    // Form_Unload of every window: its close sequence, then the program ends. Returns false
    // when the program is already ending and the close needs no handling.
    bool closeFrom(WorkingWindow& window);
    // The display went away and the program ends at once: the close sequence's save, without
    // the windows, which can no longer be shown or asked.
    void saveWithoutDisplay();
    // An orderly ending asked for from outside (the session ends, a termination signal), at
    // any moment: open boxes are dismissed and the close sequence of the window the player
    // works in runs, once. Before the first window shows it waits for closeIfAsked().
    void closeActive();
    // End of start-up: carries out a close asked for meanwhile. True when the program ends.
    bool closeIfAsked();

    // The one of the three windows that the player works in (nullptr before start-up).
    WorkingWindow* active() const { return active_; }
    // The window of a size, nullptr while it has not been created.
    WorkingWindow* window(WindowSize size) const;

private:
    WorkingWindow& obtain(WindowSize size);
    void show(WorkingWindow& target);

    UiContext& ui_;
    Create create_;
    std::array<WorkingWindow*, 4> windows_{}; // by window size, 1..3
    WorkingWindow* active_ = nullptr;
    bool handedOver_ = false;
    // What every ending stores: position, current set, all 30 sets, then to the disk.
    void saveFrom(WorkingWindow& window);

    bool ending_ = false;
    bool endPending_ = false;
};

} // namespace jk
