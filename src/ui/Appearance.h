#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace jk::look {

inline const QColor Cyan{0, 255, 255};

// "MS Sans Serif" 8.25 pt, or the nearest sans face this desktop has.
QFont sansFont(bool bold);
// "Times New Roman" 9.75 pt regular, or the nearest serif face: the numbered buttons.
QFont numberFont();

// The font at `scale` times its size.
QFont scaled(QFont font, double scale);

// Black background for a window or a control.
void paintBlack(QWidget& widget);
// Cyan text on black: the labels and the "Always on top" box.
void paintCyanOnBlack(QWidget& widget);
// White background with the default text colour: the full-text labels.
void paintWhite(QWidget& widget);

// Entry texts can be as long as the player likes; the default cap would cut them.
void liftLengthLimit(QLineEdit& edit);

// " 1" to " 9", then "10" to "24".
QString entryCaption(int entry);

QIcon windowIcon();
QPixmap aboutPicture();

} // namespace jk::look
