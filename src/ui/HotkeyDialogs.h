#pragma once

class QWidget;

namespace jk {

class Hotkeys;

// "Set hotkey…": records one key press with its modifiers for the action; OK, Cancel, Clear.
// A key that cannot be taken is refused with the reason, and the box stays open.
void editHotkey(QWidget* parent, Hotkeys& hotkeys, int action);

// Every action with its key, each with a way to set or clear it.
void showHotkeys(QWidget* parent, Hotkeys& hotkeys);

} // namespace jk
