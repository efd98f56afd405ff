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
#include <QVBoxLayout>
#include <QWidget>

namespace jk {

namespace {

constexpr int PickTimeoutMs = 60000;

void tell(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QStringLiteral("Jeerkit"), text);
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

    // The pointer is taken for the click, so this box only says what to do; it has no button.
    QMessageBox wait(QMessageBox::Information, QStringLiteral("Jeerkit"),
                     QStringLiteral("Click on the game window to link it, or press Escape."),
                     QMessageBox::NoButton, parent);
    wait.setStandardButtons(QMessageBox::NoButton);
    wait.show();
    const QDeadlineTimer deadline(PickTimeoutMs);
    const platform::PickResult pick = platform.pickWindow([&] {
        QCoreApplication::processEvents();
        return !deadline.hasExpired();
    });
    wait.hide();

    using End = platform::PickResult::End;
    const QString windowClass = QString::fromStdString(pick.windowClass);
    switch (pick.end) {
    case End::Picked: {
        const QString question =
            QStringLiteral("Link the window \"%1\" (class \"%2\")?\n\nThe line is then sent to "
                           "it, and from now on every line to a window of that class.")
                .arg(QString::fromStdString(pick.title), windowClass);
        if (QMessageBox::question(parent, QStringLiteral("Jeerkit"), question) == QMessageBox::Yes)
            return windowClass;
        return {};
    }
    case End::Refused:
        tell(parent, QStringLiteral("That is %1, which cannot be the game: nothing was linked "
                                    "or sent.")
                         .arg(QString::fromStdString(pick.refusal)));
        return {};
    case End::Cancelled:
        return {};
    case End::Stopped:
        tell(parent, QStringLiteral("No window was clicked within a minute: nothing was linked "
                                    "or sent."));
        return {};
    case End::Unsupported:
        tell(parent, QStringLiteral("A game window cannot be picked by a click on this "
                                    "desktop: nothing was linked or sent."));
        return {};
    case End::Failed:
        tell(parent, QStringLiteral("The pointer could not be taken for the click (another "
                                    "program may hold it): nothing was linked or sent."));
        return {};
    }
    return {};
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
