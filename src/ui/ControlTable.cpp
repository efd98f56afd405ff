#include "ui/ControlTable.h"

namespace jk::controls {

namespace {

constexpr auto Button = Kind::Button;
constexpr auto TextBox = Kind::TextBox;
constexpr auto Label = Kind::Label;
constexpr auto Wrapped = Kind::WrappedLabel;
constexpr auto CheckBox = Kind::CheckBox;
constexpr auto List = Kind::List;
constexpr auto FieldList = Kind::FieldList;
constexpr auto Own = Font::Window;
constexpr auto Sans = Font::Sans;
constexpr auto Bold = Font::SansBold;
constexpr auto Numbers = Font::Numbers;
constexpr auto Plain = Colour::Window;
constexpr auto Cyan = Colour::CyanOnBlack;
constexpr auto Black = Colour::Black;
constexpr auto White = Colour::White;

constexpr const char* FullTextHint =
    "Move the mouse over the texts or the numbered buttons to see full texts";

// name, kind, first, last, left, top, width, height, step left, step top, caption, font,
// colours, tab, tab step
constexpr Control Main[] = {
    {"Command1", Button, -1, -1, 90, 390, 1305, 570, 0, 0, "Curse !", Own, Plain, 0, 0},
    {"Command3", Button, -1, -1, 5970, 60, 1965, 450, 0, 0, "Display small window", Own, Plain, 1,
     0},
    {"Command4", Button, -1, -1, 8010, 60, 795, 450, 0, 0, "About", Own, Plain, 2, 0},
    {"ComboTextSet", FieldList, -1, -1, 4320, 600, 4470, 315, 0, 0, "Combo3", Own, Plain, 3, 0},
    {"CheckAlwaysOnTop", CheckBox, -1, -1, 4320, 180, 1545, 195, 0, 0, "Always on top", Own, Cyan,
     131, 0},
    {"Prefix", TextBox, -1, -1, 720, 30, 660, 315, 0, 0, "Thou", Sans, Plain, 124, 0},
    {"TextVar", TextBox, 0, 2, 2100, 30, 690, 315, 0, 300, "", Sans, Plain, 125, 1},
    {"TextVar", TextBox, 3, 5, 3480, 30, 690, 315, 0, 300, "", Sans, Plain, 128, 1},
    {"Label1", Label, 1, 1, 120, 90, 555, 195, 0, 0, "Prefix:", Own, Cyan, -1, 0},
    {"Label1", Label, 6, 6, 1500, 60, 600, 195, 0, 0, "<var1>", Own, Cyan, -1, 0},
    {"Label1", Label, 5, 5, 1500, 360, 600, 195, 0, 0, "<var2>", Own, Cyan, -1, 0},
    {"Label1", Label, 4, 4, 1500, 660, 600, 195, 0, 0, "<var3>", Own, Cyan, -1, 0},
    {"Label1", Label, 0, 0, 2880, 60, 600, 195, 0, 0, "<var4>", Own, Cyan, -1, 0},
    {"Label1", Label, 2, 2, 2880, 360, 600, 195, 0, 0, "<var5>", Own, Cyan, -1, 0},
    {"Label1", Label, 3, 3, 2880, 660, 600, 195, 0, 0, "<var6>", Own, Cyan, -1, 0},
    {"Command2", Button, 0, 23, 90, 990, 330, 315, 0, 330, "%n", Numbers, Plain, 4, 1},
    {"TextLong", TextBox, 0, 23, 450, 990, 6720, 315, 0, 330, "", Own, Plain, 28, 3},
    {"TextShort", TextBox, 0, 23, 7200, 990, 690, 315, 0, 330, "", Sans, Plain, 29, 3},
    {"ComboSay", List, 0, 0, 7920, 990, 870, 315, 0, 330, "", Own, Plain, 30, 3},
    {"ComboSay", FieldList, 1, 23, 7920, 1320, 870, 315, 0, 330, "Say", Own, Plain, 33, 3},
    {"CheckEnter", CheckBox, 0, 23, 8850, 1020, 255, 255, 0, 330, "Check1", Own, Black, 100, 1},
};

constexpr Control Small[] = {
    {"Command1", Button, -1, -1, 90, 120, 2190, 795, 0, 0, "Curse !", Own, Plain, 0, 0},
    {"ComboTextSet", List, -1, -1, 90, 960, 2175, 315, 0, 0, "", Own, Plain, 1, 0},
    {"LabelFullText", Wrapped, -1, -1, 90, 1350, 2175, 615, 0, 0, FullTextHint, Own, White, -1, 0},
    {"Command2", Button, 0, 11, 90, 2040, 330, 315, 0, 360, "%n", Numbers, Plain, 2, 1},
    {"Command2", Button, 12, 23, 1230, 2040, 330, 315, 0, 360, "%n", Numbers, Plain, 14, 1},
    {"TextShort", TextBox, 0, 11, 450, 2040, 690, 315, 0, 360, "", Sans, Plain, 26, 1},
    {"TextShort", TextBox, 12, 23, 1590, 2040, 690, 315, 0, 360, "", Sans, Plain, 38, 1},
    {"Command3", Button, -1, -1, 90, 6360, 2190, 435, 0, 0, "Display tiny window", Own, Plain, 50,
     0},
};

// The label lies under the lower row of buttons, which overlap it by 15 twips, as the two
// rows overlap each other.
constexpr Control Tiny[] = {
    {"Command3", Button, -1, -1, 0, 0, 720, 615, 0, 0, "Big", Bold, Plain, 26, 0},
    {"Command1", Button, -1, -1, 720, 0, 1470, 615, 0, 0, "Curse !", Bold, Plain, 0, 0},
    {"ComboTextSet", List, -1, -1, 0, 630, 2175, 315, 0, 0, "", Bold, Plain, 25, 0},
    {"Command2", Button, 0, 11, 2190, 0, 330, 315, 330, 0, "%n", Numbers, Plain, 1, 1},
    {"Command2", Button, 12, 23, 2190, 300, 330, 315, 330, 0, "%n", Numbers, Plain, 13, 1},
    {"LabelFullText", Wrapped, -1, -1, 2190, 600, 3975, 375, 0, 0, FullTextHint, Bold, White, -1,
     0},
};

constexpr Control About[] = {
    {"Image1", Kind::Picture, -1, -1, 90, 90, 1545, 2640, 0, 0, "", Own, Plain, -1, 0},
    {"Label1", Wrapped, 0, 0, 1800, 120, 3255, 645, 0, 0,
     "Enter your favourite UO phrases in one of the 24 slots and choose 'Say', 'Yell', "
     "'Whisper' or 'Emote'.",
     Own, Cyan, -1, 0},
    {"Label1", Wrapped, 1, 1, 1800, 840, 3255, 645, 0, 0,
     "Click on 'Curse' for a random curse in the Elizabethan language that is spoken in "
     "Britannia.",
     Own, Cyan, -1, 0},
    {"Label1", Wrapped, 3, 3, 1800, 1590, 3255, 885, 0, 0,
     "For detailed instructions please read the README.WRI file that you can find in the "
     "directory in which you installed the Jeerkit Tool.",
     Own, Cyan, -1, 0},
    {"Label1", Wrapped, 2, 2, 1800, 2580, 3255, 885, 0, 0,
     "Jeerkit is made by the Jeerkit developers. Comments and ideas are welcome on the "
     "project's issue tracker.",
     Own, Cyan, -1, 0},
    {"Command1", Button, -1, -1, 90, 3000, 1680, 375, 0, 0, "&OK", Own, Plain, 0, 0},
    // On a strip below OK, so that no text is covered.
    {"GameWindows", Button, -1, -1, 90, 3480, 1680, 375, 0, 0, "&Game windows…", Own, Plain, 1, 0},
    {"Hotkeys", Button, -1, -1, 1860, 3480, 1680, 375, 0, 0, "&Hotkeys…", Own, Plain, 2, 0},
};

const Window MainWindow{"main", 9135, 8970, Main};
const Window SmallWindow{"small", 2340, 6870, Small};
const Window TinyWindow{"tiny", 6150, 975, Tiny};
const Window AboutBox{"about", 5190, 3960, About};

} // namespace

const Window& mainWindow() {
    return MainWindow;
}
const Window& smallWindow() {
    return SmallWindow;
}
const Window& tinyWindow() {
    return TinyWindow;
}
const Window& aboutBox() {
    return AboutBox;
}

const Window& workingWindow(WindowSize size) {
    return size == WindowSize::Small  ? SmallWindow
           : size == WindowSize::Tiny ? TinyWindow
                                      : MainWindow;
}

const Control* find(const Window& window, std::string_view name, int index) {
    for (const Control& row : window.controls) {
        if (name == row.name && index >= row.first && index <= row.last)
            return &row;
    }
    return nullptr;
}

Rect rectOf(const Control& row, int index) {
    const int steps = index - row.first;
    return {row.left + steps * row.stepLeft, row.top + steps * row.stepTop, row.width, row.height};
}

Rect rect(const Window& window, std::string_view name, int index) {
    const Control* row = find(window, name, index);
    return row ? rectOf(*row, index) : Rect{};
}

int tabOf(const Control& row, int index) {
    return row.tab < 0 ? -1 : row.tab + (index - row.first) * row.tabStep;
}

std::string objectName(std::string_view name, int index) {
    std::string out(name);
    return index < 0 ? out : out.append("_").append(std::to_string(index));
}

} // namespace jk::controls
