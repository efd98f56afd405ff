#pragma once

#include <QString>

class QWidget;

namespace jk {

struct UiContext;
namespace platform {
class Platform;
}

// Where no game window is found: the warning box, with "Link game window…" beside its OK.
// After that button the player clicks on the game (a box waits for it, up to a minute, and
// can be cancelled); returns the class of the window that became active then, or nothing.
QString pickGameWindow(QWidget* parent, const QString& text, platform::Platform& platform);

// The classes the player has linked, each with a way to remove it.
void showLinkedGameWindows(QWidget* parent, UiContext& ui);

} // namespace jk
