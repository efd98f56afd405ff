#include "ui/GamePicker.h"

#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace jk {

namespace {

constexpr int PickTimeoutMs = 60000;
constexpr int PollMs = 100;

bool isOwnWindow(platform::WindowId window) {
    const QWidgetList tops = QApplication::topLevelWidgets();
    return std::any_of(tops.begin(), tops.end(), [window](const QWidget* w) {
        return static_cast<platform::WindowId>(w->internalWinId()) == window;
    });
}

} // namespace

QString pickGameWindow(QWidget* parent, const QString& text, platform::Platform& platform) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Jeerkit"), text, QMessageBox::Ok, parent);
    QPushButton* link =
        box.addButton(QStringLiteral("&Link game window…"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() != link)
        return {};

    QMessageBox wait(QMessageBox::Information, QStringLiteral("Jeerkit"),
                     QStringLiteral("Click on the game window to link it.\n\nThe line is then "
                                    "sent to it, and from now on every line."),
                     QMessageBox::Cancel, parent);
    QString picked;
    const QDeadlineTimer deadline(PickTimeoutMs);
    QTimer poll;
    poll.setInterval(PollMs);
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        const platform::WindowId active = platform.activeWindow();
        if (active != 0 && !isOwnWindow(active))
            picked = QString::fromStdString(platform.windowClass(active));
        if (!picked.isEmpty() || deadline.hasExpired())
            wait.done(QMessageBox::Ok);
    });
    poll.start();
    wait.exec();
    return picked;
}

void showLinkedGameWindows(QWidget* parent, UiContext& ui) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Jeerkit"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(
        QStringLiteral("Game windows linked to Jeerkit, tried after \"Ultima Online\" and "
                       "\"Ultima Online Third Dawn\". Link another one where \"No instance "
                       "of UO found.\" appears."),
        &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QListWidget(&dialog);
    list->addItems(ui.book.GameWindowClasses);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* remove =
        buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::ActionRole);
    remove->setEnabled(false);
    layout->addWidget(buttons);
    QObject::connect(list, &QListWidget::currentRowChanged, remove,
                     [remove](int row) { remove->setEnabled(row >= 0); });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = list->currentRow();
        if (row < 0 || row >= ui.book.GameWindowClasses.size())
            return;
        ui.book.GameWindowClasses.removeAt(row);
        delete list->takeItem(row);
        ui.store.writeList(layout::Settings, layout::GameWindowClasses, ui.book.GameWindowClasses);
        ui.keeper.flushSoon();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(360, 240);
    dialog.exec();
}

} // namespace jk
