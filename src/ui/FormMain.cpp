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
#include "ui/AccessibleNames.h"
#include "ui/Appearance.h"
#include "ui/ControlBuilder.h"
#include "ui/FieldComboBox.h"
#include "ui/FormAbout.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"
#include "ui/StoreKeeper.h"
#include "ui/TextSetSelector.h"
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

// Current set index read at start-up: not a number, negative or past the last set is set 0.
qint16 readCurrentTextSet(const SettingsStore& store) {
    const std::optional<qint16> value = stored::parseInt16(
        store.read(layout::Settings, layout::CurrentTextSet, QStringLiteral("0")));
    return value && PhraseBook::isSetIndex(*value) ? *value : qint16(0);
}

} // namespace

FormMain::FormMain(UiContext& ui)
    : WorkingWindow(ui, rules_, WindowSize::Main,
                    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint)
    , rules_(ui) {
    setWindowTitle(QStringLiteral("Jeerkit Tool"));
    setFixedSize(twipsToPixels(controls::mainWindow().width),
                 twipsToPixels(controls::mainWindow().height));
    setFont(look::sansFont(true));
    look::paintBlack(*this);

    const BuiltControls built = buildControls(true);
    c_.Command4 = built.get<QPushButton>("Command4");
    c_.CheckAlwaysOnTop = built.get<QCheckBox>("CheckAlwaysOnTop");
    c_.Prefix = built.get<QLineEdit>("Prefix");
    c_.TextVar = built.array<QLineEdit, 6>("TextVar");
    c_.Label1 = built.array<QLabel, 7>("Label1");
    c_.TextLong = built.array<QLineEdit, EntryCount>("TextLong");
    c_.TextShort = built.array<QLineEdit, EntryCount>("TextShort");
    c_.ComboSay = built.array<QComboBox, EntryCount>("ComboSay");
    c_.CheckEnter = built.array<QCheckBox, EntryCount>("CheckEnter");
    for (int i = 0; i < EntryCount; ++i) {
        c_.TextShort[i]->setToolTip(
            QStringLiteral("Text that you enter here will be displayed on the small window."));
        ignoreWheel(*c_.ComboSay[i]);
        c_.CheckEnter[i]->setChecked(true);
    }
    connectHandlers();
    rules_.setWindows(*this,
                      [this](WindowSize size) -> WorkingWindow& { return createWindow(size); });
}

FormMain::~FormMain() = default;

void FormMain::connectHandlers() {
    connect(c_.Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(c_.CheckAlwaysOnTop, &QCheckBox::toggled, this, [this] { CheckAlwaysOnTop_Click(); });
    // The prefix and the variables are shared by all sets and live in the phrase book.
    connect(c_.Prefix, &QLineEdit::textChanged, this,
            [this](const QString& text) { ui_.book.Prefix = text; });
    for (int v = 0; v < 6; ++v)
        connect(c_.TextVar[v], &QLineEdit::textChanged, this,
                [this, v](const QString& text) { ui_.book.Vars[v] = text; });
    for (int i = 0; i < EntryCount; ++i) {
        connect(c_.TextLong[i], &QLineEdit::textChanged, this, [this, i] { TextLong_Change(i); });
        connect(c_.TextShort[i], &QLineEdit::textChanged, this, [this, i] { TextShort_Change(i); });
        connect(c_.ComboSay[i], &QComboBox::currentIndexChanged, this,
                [this, i] { ComboSay_Click(i); });
        connect(c_.CheckEnter[i], &QCheckBox::toggled, this, [this, i] { CheckEnter_Click(i); });
    }
    // Every edit reaches the disk a moment later, not only at a set switch or the close.
    const auto edited = [this] {
        ui_.keeper.edited();
    };
    connect(c_.Prefix, &QLineEdit::textChanged, this, edited);
    for (QLineEdit* box : c_.TextVar)
        connect(box, &QLineEdit::textChanged, this, edited);
    for (int i = 0; i < EntryCount; ++i) {
        connect(c_.TextLong[i], &QLineEdit::textChanged, this, edited);
        connect(c_.TextShort[i], &QLineEdit::textChanged, this, edited);
        connect(c_.ComboSay[i], &QComboBox::currentIndexChanged, this, edited);
        connect(c_.CheckEnter[i], &QCheckBox::toggled, this, edited);
    }
}

void FormMain::Form_Load() {
    PhraseBook& book = ui_.book;
    SettingsStore& store = ui_.store;

    setWindowTitle(QStringLiteral("Jeerkit " JEERKIT_VERSION " - Bardsnark (and more...)"));
    ui_.random.seedFromClock();
    book.Loading = true;
    LoadBuiltIns(book);
    modes_.restorePosition(*this);

    for (QComboBox* style : c_.ComboSay)
        style->addItems(styleNames());

    // A value that is neither a Boolean word nor a number counts as missing.
    book.AlwaysOnTop = stored::parseBoolean(store.read(layout::Settings, layout::AlwaysOnTop,
                                                       stored::formatBoolean(false)))
                           .value_or(false);
    c_.CheckAlwaysOnTop->setChecked(book.AlwaysOnTop);

    LoadAllTextSets(book, store);
    selector().refill();
    // The boxes show the shared values as loaded (their edits write them back).
    c_.Prefix->setText(book.Prefix);
    for (int v = 0; v < 6; ++v)
        c_.TextVar[v]->setText(book.Vars[v]);

    selector().select(0);
    book.CurrentTextSet = readCurrentTextSet(store);
    book.Loading = false;
    ShowTextSet(book.CurrentTextSet);
    modes_.startIn(store.read(layout::Settings, layout::WindowSize, QStringLiteral("1")));
}

void FormMain::ShowTextSet(qint16 set) {
    const PhraseBook& book = ui_.book;
    if (!PhraseBook::isSetIndex(set))
        return;
    for (int i = 0; i < EntryCount; ++i) {
        // A stored style with no item shows an empty box and is left as it is.
        const int style = book.EntryStyle[set][i];
        c_.ComboSay[i]->setCurrentIndex(style >= 0 && style < c_.ComboSay[i]->count() ? style : -1);
        c_.TextLong[i]->setText(book.EntryLong[set][i]);
        // Texts are read from their start; a long text keeps its excess selected.
        if (c_.TextLong[i]->text().size() <= LongTextLimit)
            c_.TextLong[i]->setCursorPosition(0);
        c_.TextShort[i]->setText(book.EntryShort[set][i]);
        c_.TextShort[i]->setCursorPosition(0);
        c_.CheckEnter[i]->setChecked(book.EntryEnter[set][i] == 1);
    }
    selector().select(book.CurrentTextSet);
}

void FormMain::Command4_Click() {
    // Out of the top-most layer while the box is open, or the box could end up beneath.
    modes_.setTopMost(*this, false);
    if (!about_) {
        about_ = std::make_unique<FormAbout>(&ui_);
        // The box has no caption; Qt would show the application's name in its place.
        ui_.platform.clearTitle(static_cast<platform::WindowId>(about_->winId()));
        about_->fitOnScreenOf(*this);
    }
    about_->exec();
    modes_.returnTo(*this);
}

void FormMain::CheckAlwaysOnTop_Click() {
    ui_.book.AlwaysOnTop = c_.CheckAlwaysOnTop->isChecked();
    modes_.setTopMost(*this, ui_.book.AlwaysOnTop);
    ui_.store.write(layout::Settings, layout::AlwaysOnTop,
                    stored::formatBoolean(ui_.book.AlwaysOnTop));
    ui_.keeper.flushSoon();
}

void FormMain::CheckEnter_Click(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryEnter[ui_.book.CurrentTextSet][index] =
            c_.CheckEnter[index]->isChecked() ? 1 : 0;
}

void FormMain::ComboSay_Click(int index) {
    PhraseBook& book = ui_.book;
    const int position = c_.ComboSay[index]->currentIndex();
    // Nothing chosen (an empty box for a style without an item) writes nothing either.
    if (book.Loading || position < 0 || !book.hasCurrentSet())
        return;
    book.EntryStyle[book.CurrentTextSet][index] = static_cast<qint16>(position);
}

void FormMain::TextLong_Change(int index) {
    PhraseBook& book = ui_.book;
    QLineEdit& box = *c_.TextLong[index];
    const QString text = box.text();
    accessible::nameSendButton(*Command2()[index], index, text);
    if (!book.hasCurrentSet())
        return;
    book.EntryLong[book.CurrentTextSet][index] = text;
    if (text.size() > LongTextLimit)
        box.setSelection(LongTextLimit, int(text.size()) - LongTextLimit);
}

void FormMain::TextShort_Change(int index) {
    if (ui_.book.hasCurrentSet())
        ui_.book.EntryShort[ui_.book.CurrentTextSet][index] = c_.TextShort[index]->text();
}

WorkingWindow& FormMain::createWindow(WindowSize size) {
    if (size == WindowSize::Small) {
        small_ = std::make_unique<FormSmall>(ui_, modes_);
        return *small_;
    }
    tiny_ = std::make_unique<FormTiny>(ui_, modes_);
    return *tiny_;
}

} // namespace jk
