#pragma once

// What each window holds, as data: one row per control, or per run of a control array, with
// its name, kind, rectangle in twips, caption, font, colours and place in the keyboard order.
// The windows build themselves from these tables, and tests find controls and click points in
// them. Plain C++, so that the end-to-end tests can read them without the windows.

#include "ui/WindowSize.h"

#include <span>
#include <string>
#include <string_view>

namespace jk::controls {

// Layouts are drawn in twips, 15 to the pixel at 96 dots per inch; Qt scales the pixels on
// high-density screens.
inline constexpr int TwipsPerPixel = 15;

enum class Kind : unsigned char {
    Button,       // push button
    TextBox,      // single-line text box, no length limit
    Label,        // static label, plain text
    WrappedLabel, // static label, text wrapped at word boundaries, from the top left
    CheckBox,
    List,      // drop-down list without a field to type into
    FieldList, // drop-down list with an editable field (FieldComboBox)
    Picture,
};

enum class Font : unsigned char {
    Window,   // the window's own
    Sans,     // "MS Sans Serif" 8.25 pt regular
    SansBold, // "MS Sans Serif" 8.25 pt bold
    Numbers,  // "Times New Roman" 9.75 pt regular
};

enum class Colour : unsigned char {
    Window,      // the window's own
    CyanOnBlack, // cyan text on black
    Black,       // black background
    White,       // white background, default text colour
};

// A control, or the run of a control array from index `first` to `last`, each element `step`
// twips on from the one before. A control that is no array has first = last = -1.
struct Control {
    const char* name;
    Kind kind;
    int first, last;
    int left, top, width, height;
    int stepLeft, stepTop;
    // Caption or design-time text; "%n" is the entry number index + 1 as two characters.
    const char* caption;
    Font font;
    Colour colour;
    // Place of element `first` in the keyboard order, and how far on each next index is;
    // -1: takes no focus.
    int tab, tabStep;
};

struct Rect {
    int left, top, width, height;
};

struct Window {
    const char* name;
    int width, height; // client area, twips
    std::span<const Control> controls;
};

const Window& mainWindow();
const Window& smallWindow();
const Window& tinyWindow();
const Window& aboutBox();
const Window& workingWindow(WindowSize size);

// The row holding name(index); index -1 for a control that is no array. Null if none.
const Control* find(const Window& window, std::string_view name, int index = -1);
// The rectangle of name(index), in twips; the empty rectangle if there is no such control.
Rect rect(const Window& window, std::string_view name, int index = -1);
Rect rectOf(const Control& row, int index);
int tabOf(const Control& row, int index);
// "Command1", or "ComboSay_3" for an element of an array.
std::string objectName(std::string_view name, int index);

} // namespace jk::controls
