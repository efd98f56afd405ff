#pragma once

#include <QString>

class QWidget;

namespace jk {

struct UiContext;
namespace platform {
class Platform;
}

// Where no game window is found: the warning box, with "Link game window…" beside its OK.
// After that button the player clicks on the game (up to a minute; Escape cancels) and is
// asked once whether to link the window clicked; returns its class, or nothing.
QString pickGameWindow(QWidget* parent, const QString& text, platform::Platform& platform);

// The classes the player has linked, each with a way to remove it.
void showLinkedGameWindows(QWidget* parent, UiContext& ui);

} // namespace jk
