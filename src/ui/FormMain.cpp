#include "ui/FormMain.h"

#include "curse/RandomSource.h"
#include "gamelink/GameLink.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/StoredValue.h"
#include "phrasebook/TextSetStore.h"
#include "ui/Appearance.h"
#include "ui/FieldComboBox.h"
#include "ui/FormAbout.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"
#include "ui/StoreKeeper.h"
#include "ui/Twips.h"
#include "ui/UiContext.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace jk {

namespace {

// Beyond this many characters a long text shows its excess selected: the game's chat line
// takes no more, and the next key typed replaces the excess.
constexpr int LongTextLimit = 76;

const QStringList& styleNames() {
    static const QStringList names{QStringLiteral("Say"), QStringLiteral("Emote"),
                                   QStringLiteral("Yell"), QStringLiteral("Whisper"),
                                   QStringLiteral("Gesture")};
    return names;
}

struct LabelPlace {
    int index;
    const char* caption;
    int left, top;
};

// The captions and places of Label1, top to bottom, left to right.
constexpr LabelPlace LabelPlaces[] = {
    {6, "<var1>", 1500, 60}, {5, "<var2>", 1500, 360}, {4, "<var3>", 1500, 660},
    {0, "<var4>", 2880, 60}, {2, "<var5>", 2880, 360}, {3, "<var6>", 2880, 660},
};

// Current set index read at start-up: not a number, negative or past the last set is set 0.
qint16 readCurrentTextSet(const SettingsStore& store) {
    const std::optional<qint16> value = stored::parseInt16(
        store.read(layout::Settings, layout::CurrentTextSet, QStringLiteral("0")));
    return value && PhraseBook::isSetIndex(*value) ? *value : qint16(0);
}

} // namespace

FormMain::FormMain(UiContext& ui)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint)
    , ui_(ui)
    , modes_(ui) {
    setWindowTitle(QStringLiteral("Jeerkit Tool"));
    setWindowIcon(look::windowIcon());
    setFixedSize(twipsToPixels(9135), twipsToPixels(8970));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    createTopControls();
    createRows();
    setTabOrder();

    // The first control in the tab order has the focus when the window opens.
    Command1->setFocus();
    selector_ = std::make_unique<TextSetSelector>(*ComboTextSet, ui_, true,
                                                  [this](qint16 set) { ShowTextSet(set); });
    connectHandlers();
    modes_.setWindows(*this, [this](int size) -> ModeWindow& { return createWindow(size); });
}

FormMain::~FormMain() = default;

void FormMain::createTopControls() {
    auto button = [this](const QString& caption, int l, int t, int w, int h) {
        auto* b = new QPushButton(caption, this);
        place(*b, l, t, w, h);
        return b;
    };
    Command1 = button(QStringLiteral("Curse !"), 90, 390, 1305, 570);
    Command3 = button(QStringLiteral("Display small window"), 5970, 60, 1965, 450);
    Command4 = button(QStringLiteral("About"), 8010, 60, 795, 450);

    ComboTextSet = new FieldComboBox(this);
    place(*ComboTextSet, 4320, 600, 4470, 315);
    ComboTextSet->setEditText(QStringLiteral("Combo3"));

    CheckAlwaysOnTop = new QCheckBox(QStringLiteral("Always on top"), this);
    place(*CheckAlwaysOnTop, 4320, 180, 1545, 195);
    look::paintCyanOnBlack(*CheckAlwaysOnTop);

    auto box = [this](int l, int t, int w, int h) {
        auto* edit = new QLineEdit(this);
        place(*edit, l, t, w, h);
        edit->setFont(look::sansFont(false));
        look::liftLengthLimit(*edit);
        return edit;
    };
    Prefix = box(720, 30, 660, 315);
    Prefix->setText(QStringLiteral("Thou"));
    for (int v = 0; v < 6; ++v)
        TextVar[v] = box(v < 3 ? 2100 : 3480, 30 + 300 * (v % 3), 690, 315);

    auto label = [this](int index, const QString& caption, int l, int t, int w, int h) {
        auto* lab = new QLabel(caption, this);
        lab->setTextFormat(Qt::PlainText);
        place(*lab, l, t, w, h);
        look::paintCyanOnBlack(*lab);
        Label1[index] = lab;
    };
    label(1, QStringLiteral("Prefix:"), 120, 90, 555, 195);
    for (const LabelPlace& p : LabelPlaces)
        label(p.index, QString::fromLatin1(p.caption), p.left, p.top, 600, 195);
}

void FormMain::createRows() {
    for (int i = 0; i < EntryCount; ++i) {
        const int top = 990 + 330 * i;
        auto* send = new QPushButton(look::entryCaption(i), this);
        send->setFont(look::numberFont());
        place(*send, 90, top, 330, 315);
        Command2[i] = send;

        auto* longText = new QLineEdit(this);
        look::liftLengthLimit(*longText);
        place(*longText, 450, top, 6720, 315);
        TextLong[i] = longText;

        auto* shortText = new QLineEdit(this);
        look::liftLengthLimit(*shortText);
        shortText->setFont(look::sansFont(false));
        shortText->setToolTip(
            QStringLiteral("Text that you enter here will be displayed on the small window."));
        place(*shortText, 7200, top, 690, 315);
        TextShort[i] = shortText;

        // The first style box is a plain list; the others have a field, which is only text.
        QComboBox* style = i == 0 ? new QComboBox(this) : new FieldComboBox(this);
        if (i > 0)
            style->setEditText(QStringLiteral("Say"));
        place(*style, 7920, top, 870, 315);
        ignoreWheel(*style);
        ComboSay[i] = style;

        auto* enter = new QCheckBox(QStringLiteral("Check1"), this);
        enter->setChecked(true);
        look::paintBlack(*enter);
        place(*enter, 8850, 1020 + 330 * i, 255, 255);
        CheckEnter[i] = enter;
    }
}

void FormMain::setTabOrder() {
    std::vector<QWidget*> order{Command1, Command3, Command4, ComboTextSet};
    order.insert(order.end(), Command2.begin(), Command2.end());
    for (int i = 0; i < EntryCount; ++i) {
        order.push_back(TextLong[i]);
        order.push_back(TextShort[i]);
        order.push_back(ComboSay[i]);
    }
    order.insert(order.end(), CheckEnter.begin(), CheckEnter.end());
    order.push_back(Prefix);
    order.insert(order.end(), TextVar.begin(), TextVar.end());
    order.push_back(CheckAlwaysOnTop);
    for (std::size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
}

void FormMain::connectHandlers() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(CheckAlwaysOnTop, &QCheckBox::toggled, this, [this] { CheckAlwaysOnTop_Click(); });
    // The prefix and the variables are shared by all sets and live in the phrase book.
    connect(Prefix, &QLineEdit::textChanged, this,
            [this](const QString& text) { ui_.book.Prefix = text; });
    for (int v = 0; v < 6; ++v)
        connect(TextVar[v], &QLineEdit::textChanged, this,
                [this, v](const QString& text) { ui_.book.Vars[v] = text; });
    for (int i = 0; i < EntryCount; ++i) {
        connect(Command2[i], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
        connect(TextLong[i], &QLineEdit::textChanged, this, [this, i] { TextLong_Change(i); });
        connect(TextShort[i], &QLineEdit::textChanged, this, [this, i] { TextShort_Change(i); });
        connect(ComboSay[i], &QComboBox::currentIndexChanged, this,
                [this, i] { ComboSay_Click(i); });
        connect(CheckEnter[i], &QCheckBox::toggled, this, [this, i] { CheckEnter_Click(i); });
    }
    // Every edit reaches the disk a moment later, not only at a set switch or the close.
    const auto edited = [this] {
        ui_.keeper.edited();
    };
    connect(Prefix, &QLineEdit::textChanged, this, edited);
    for (QLineEdit* box : TextVar)
        connect(box, &QLineEdit::textChanged, this, edited);
    for (int i = 0; i < EntryCount; ++i) {
        connect(TextLong[i], &QLineEdit::textChanged, this, edited);
        connect(TextShort[i], &QLineEdit::textChanged, this, edited);
        connect(ComboSay[i], &QComboBox::currentIndexChanged, this, edited);
        connect(CheckEnter[i], &QCheckBox::toggled, this, edited);
    }
}

void FormMain::Form_Load() {
    PhraseBook& book = ui_.book;
    SettingsStore& store = ui_.store;

    setWindowTitle(QStringLiteral("Jeerkit ") + QStringLiteral("2.0") +
                   QStringLiteral(" - Bardsnark (and more...)"));
    ui_.random.seedFromClock();
    book.Loading = true;
    LoadBuiltIns(book);
    modes_.restorePosition(*this);

    for (QComboBox* style : ComboSay)
        style->addItems(styleNames());

    // A value that is neither a Boolean word nor a number counts as missing.
    book.AlwaysOnTop = stored::parseBoolean(store.read(layout::Settings, layout::AlwaysOnTop,
                                                       stored::formatBoolean(false)))
                           .value_or(false);
    CheckAlwaysOnTop->setChecked(book.AlwaysOnTop);

    for (int n = 1; n <= SetCount; ++n) {
        LoadTextSet(book, store, n);
        selector_->append(book.SetName[n - 1]);
    }
    // The boxes show the shared values as loaded (their edits write them back).
    Prefix->setText(book.Prefix);
    for (int v = 0; v < 6; ++v)
        TextVar[v]->setText(book.Vars[v]);

    selector_->select(0);
    book.CurrentTextSet = readCurrentTextSet(store);
    book.Loading = false;
    ShowTextSet(book.CurrentTextSet);
    modes_.startIn(store.read(layout::Settings, layout::WindowSize, QStringLiteral("1")));
}

void FormMain::Form_Activate() {
    modes_.activated(*this);
    // Show what the small or tiny window changed meanwhile.
    ShowTextSet(ui_.book.CurrentTextSet);
}

void FormMain::Form_Unload() {
    modes_.closeFrom(*this);
}

void FormMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void FormMain::ShowTextSet(qint16 set) {
    const PhraseBook& book = ui_.book;
    if (!PhraseBook::isSetIndex(set))
        return;
    for (int i = 0; i < EntryCount; ++i) {
        // A stored style with no item shows an empty box and is left as it is.
        const int style = book.EntryStyle[set][i];
        ComboSay[i]->setCurrentIndex(style >= 0 && style < ComboSay[i]->count() ? style : -1);
        TextLong[i]->setText(book.EntryLong[set][i]);
        // Texts are read from their start; a long text keeps its excess selected.
        if (TextLong[i]->text().size() <= LongTextLimit)
            TextLong[i]->setCursorPosition(0);
        TextShort[i]->setText(book.EntryShort[set][i]);
        TextShort[i]->setCursorPosition(0);
        CheckEnter[i]->setChecked(book.EntryEnter[set][i] == 1);
    }
    selector_->select(book.CurrentTextSet);
}

void FormMain::Command1_Click() {
    ui_.link.SendCurse();
}

void FormMain::Command2_Click(int index) {
    ui_.link.SendEntry(static_cast<qint16>(index));
}

void FormMain::Command3_Click() {
    modes_.switchFrom(*this);
}

void FormMain::Command4_Click() {
    // Out of the top-most layer while the box is open, or the box could end up beneath.
    modes_.setTopMost(*this, false);
    if (!about_) {
        about_ = std::make_unique<FormAbout>(&ui_);
        // The box has no caption; Qt would show the application's name in its place.
        ui_.platform.clearTitle(static_cast<platform::WindowId>(about_->winId()));
    }
    about_->exec();
    modes_.returnTo(*this);
}

void FormMain::CheckAlwaysOnTop_Click() {
    ui_.book.AlwaysOnTop = CheckAlwaysOnTop->isChecked();
    modes_.setTopMost(*this, ui_.book.AlwaysOnTop);
    ui_.store.write(layout::Settings, layout::AlwaysOnTop,
                    stored::formatBoolean(ui_.book.AlwaysOnTop));
    ui_.keeper.flushSoon();
}

void FormMain::CheckEnter_Click(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryEnter[ui_.book.CurrentTextSet][index] =
            CheckEnter[index]->isChecked() ? 1 : 0;
}

void FormMain::ComboSay_Click(int index) {
    PhraseBook& book = ui_.book;
    const int position = ComboSay[index]->currentIndex();
    // Nothing chosen (an empty box for a style without an item) writes nothing either.
    if (book.Loading || position < 0 || !book.hasCurrentSet())
        return;
    book.EntryStyle[book.CurrentTextSet][index] = static_cast<qint16>(position);
}

void FormMain::TextLong_Change(int index) {
    PhraseBook& book = ui_.book;
    if (!book.hasCurrentSet())
        return;
    QLineEdit& box = *TextLong[index];
    const QString text = box.text();
    book.EntryLong[book.CurrentTextSet][index] = text;
    if (text.size() > LongTextLimit)
        box.setSelection(LongTextLimit, int(text.size()) - LongTextLimit);
}

void FormMain::TextShort_Change(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryShort[ui_.book.CurrentTextSet][index] = TextShort[index]->text();
}

ModeWindow& FormMain::createWindow(int windowSize) {
    if (windowSize == 2) {
        small_ = std::make_unique<FormSmall>(ui_, modes_);
        return *small_;
    }
    tiny_ = std::make_unique<FormTiny>(ui_, modes_);
    return *tiny_;
}

} // namespace jk
