#include "ui/MessageBoxPrompts.h"

#include <QMessageBox>
#include <QPushButton>

namespace jk {

MessageBoxPrompts::MessageBoxPrompts(ParentWindow parent)
    : parent_(std::move(parent)) {}

void MessageBoxPrompts::tell(const QString& text) {
    // Not modal: this comes up in the middle of focus changes, which a nested event loop
    // would disturb.
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Jeerkit"), text,
                                QMessageBox::Ok, parent_ ? parent_() : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // The player may be typing into a phrase: the box shows beside it without taking the
    // keyboard, so that no key meant for the phrase goes into the box or closes it unread.
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

bool MessageBoxPrompts::askRetry(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Jeerkit"), text, QMessageBox::NoButton,
                    parent_ ? parent_() : nullptr);
    QPushButton* retry = box.addButton(QStringLiteral("Retry"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Quit without saving"), QMessageBox::DestructiveRole);
    box.setDefaultButton(retry);
    box.exec();
    return box.clickedButton() == retry;
}

} // namespace jk
