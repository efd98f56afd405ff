#pragma once

#include <QString>

class QWidget;

namespace jk {

class BuiltControls;

// What a screen reader says for the controls of the three working windows, whose captions say
// little or nothing ("3", "Check1", an empty box): each one's name and description from what
// it does and holds. What is drawn stays as it is.
namespace accessible {

// Every control of a working window, the send buttons still without their phrases.
void nameControls(const BuiltControls& built);
// The send button of entry index, which types `text`: "Send phrase 3: Hail fine sir…".
void nameSendButton(QWidget& button, int index, const QString& text);

} // namespace accessible

} // namespace jk
