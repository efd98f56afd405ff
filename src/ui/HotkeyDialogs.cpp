#include "ui/HotkeyDialogs.h"

#include "phrasebook/PhraseBook.h"
#include "ui/Hotkeys.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace jk {

namespace {

const QString Title = QStringLiteral("Jeerkit");

// Says why the desktop has no keys for the program; true if it has.
bool hotkeysOffered(QWidget* parent, Hotkeys& hotkeys) {
    const QString why = hotkeys.unavailableReason();
    if (why.isEmpty())
        return true;
    QMessageBox::information(parent, Title,
                             QStringLiteral("Hotkeys cannot be used here: %1").arg(why));
    return false;
}

// The program's own keys are let go of while a key is recorded, so that it reaches the box.
struct Recording {
    explicit Recording(Hotkeys& h)
        : hotkeys(h) {
        hotkeys.suspend(true);
    }
    ~Recording() { hotkeys.suspend(false); }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;
    Hotkeys& hotkeys;
};

} // namespace

void editHotkey(QWidget* parent, Hotkeys& hotkeys, int action) {
    if (!hotkeysOffered(parent, hotkeys))
        return;
    const Recording recording(hotkeys);
    QDialog dialog(parent);
    dialog.setWindowTitle(Title);
    auto* layout = new QVBoxLayout(&dialog);
    // A key another program holds goes to that program, not here.
    auto* label = new QLabel(QStringLiteral("Press the key for \"%1\", with Ctrl, Alt, Shift or "
                                            "the Windows key if you like. It works in every "
                                            "window, the game's included. A key that shows "
                                            "nothing is held by another program: choose "
                                            "another.")
                                 .arg(Hotkeys::actionName(action)),
                             &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* edit = new QKeySequenceEdit(hotkeys.key(action), &dialog);
    edit->setObjectName(QStringLiteral("HotkeyEdit"));
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* clear = buttons->addButton(QStringLiteral("C&lear"), QDialogButtonBox::ResetRole);
    layout->addWidget(buttons);
    // One chord: recording ends with the first key, and Enter then means OK, not another key.
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QObject::connect(edit, &QKeySequenceEdit::keySequenceChanged, edit,
                     [edit, ok](const QKeySequence& key) {
                         if (key.count() > 1)
                             edit->setKeySequence(QKeySequence(key[0]));
                         if (key.count() >= 1 && edit->hasFocus())
                             ok->setFocus();
                     });
    QObject::connect(clear, &QPushButton::clicked, edit, [edit] {
        edit->clear();
        edit->setFocus();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (const QString why = hotkeys.set(action, edit->keySequence()); !why.isEmpty()) {
            QMessageBox::warning(&dialog, Title, why);
            edit->setFocus();
            return;
        }
        dialog.accept();
    });
    dialog.resize(340, dialog.sizeHint().height());
    edit->setFocus();
    dialog.exec();
}

void showHotkeys(QWidget* parent, Hotkeys& hotkeys) {
    QDialog dialog(parent);
    dialog.setWindowTitle(Title);
    auto* layout = new QVBoxLayout(&dialog);
    const QString why = hotkeys.unavailableReason();
    QString intro =
        why.isEmpty()
            ? QStringLiteral("Keys that send without leaving the game. A right-click on a "
                             "numbered button or on \"Curse !\" sets its key too.")
            : QStringLiteral("Hotkeys cannot be used here: %1").arg(why);
    // Under XWayland the X server sees keys only while one of its own windows has the focus.
    if (why.isEmpty() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        intro += QStringLiteral(" On this Wayland desktop they work while the game or another "
                                "X11 window has the focus, not in native Wayland windows.");
    auto* label = new QLabel(intro, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("HotkeyList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Action"), QStringLiteral("Key")});
    // The curse and the set keys first, then the buttons in order.
    for (const int a : {layout::HotkeyCurse, layout::HotkeyNextSet, layout::HotkeyPreviousSet}) {
        list->addTopLevelItem(new QTreeWidgetItem({Hotkeys::actionName(a), QString()}));
        list->topLevelItem(list->topLevelItemCount() - 1)->setData(0, Qt::UserRole, a);
    }
    for (int a = 0; a < EntryCount; ++a) {
        list->addTopLevelItem(new QTreeWidgetItem({Hotkeys::actionName(a), QString()}));
        list->topLevelItem(a + 3)->setData(0, Qt::UserRole, a);
    }
    auto refresh = [&] {
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            item->setText(1, Hotkeys::text(hotkeys.key(item->data(0, Qt::UserRole).toInt())));
        }
    };
    refresh();
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* set = buttons->addButton(QStringLiteral("&Set…"), QDialogButtonBox::ActionRole);
    QPushButton* clear = buttons->addButton(QStringLiteral("C&lear"), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    set->setEnabled(false);
    clear->setEnabled(false);
    // The action of the selected row; -1 if none.
    auto row = [list] {
        return list->currentItem() ? list->currentItem()->data(0, Qt::UserRole).toInt() : -1;
    };
    auto enable = [&] {
        set->setEnabled(row() >= 0 && why.isEmpty());
        clear->setEnabled(row() >= 0 && !hotkeys.key(row()).isEmpty());
    };
    QObject::connect(list, &QTreeWidget::currentItemChanged, &dialog, enable);
    QObject::connect(list, &QTreeWidget::itemActivated, &dialog, [&] {
        if (why.isEmpty() && row() >= 0)
            editHotkey(&dialog, hotkeys, row()), refresh(), enable();
    });
    QObject::connect(set, &QPushButton::clicked, &dialog,
                     [&] { editHotkey(&dialog, hotkeys, row()), refresh(), enable(); });
    QObject::connect(clear, &QPushButton::clicked, &dialog, [&] {
        hotkeys.set(row(), QKeySequence());
        refresh();
        enable();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(360, 460);
    dialog.exec();
}

} // namespace jk
