#pragma once

// What the stand-in game client writes to its record for one key press: the UTF-8 text the
// keyboard produces ("a", "é", "€"), a newline for Return, a token for other keys ("<Left>",
// "<F5>", "<KP_Add>", "<S-Left>") and for keys held with Control or Alt ("<C-a>", "<A-f>",
// "<C-A-x>"). Modifier keys themselves give nothing.

#include <X11/Xlib.h>

#include <string>

namespace jk::peer {

// ic may be null: then keysyms are turned into text without an input method.
std::string keyText(XIC ic, XKeyEvent event);

} // namespace jk::peer
