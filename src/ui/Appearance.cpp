#include "ui/Appearance.h"

#include <QLineEdit>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <limits>

// Resources live in this static library; make sure they are registered before first use.
static void initJeerkitResources() {
    Q_INIT_RESOURCE(jeerkit);
}

namespace jk::look {

namespace {

void ensureResources() {
    static const bool done = [] {
        initJeerkitResources();
        return true;
    }();
    (void)done;
}

QFont makeFont(const QStringList& families, qreal points, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

QFont sansFont(bool bold) {
    static const QStringList families{
        QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
        QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")};
    return makeFont(families, 8.25, bold);
}

QFont numberFont() {
    static const QStringList families{QStringLiteral("Times New Roman"),
                                      QStringLiteral("Liberation Serif"),
                                      QStringLiteral("DejaVu Serif")};
    return makeFont(families, 9.75, false);
}

QFont scaled(QFont font, double scale) {
    if (scale != 1.0 && font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

void paintBlack(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::black);
    // Check boxes fill with their own role (the button colour), not the window's.
    palette.setColor(widget.backgroundRole(), Qt::black);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void paintCyanOnBlack(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(widget.backgroundRole(), Qt::black);
    palette.setColor(QPalette::WindowText, Cyan);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void paintWhite(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void liftLengthLimit(QLineEdit& edit) {
    edit.setMaxLength(std::numeric_limits<int>::max());
}

QString entryCaption(int entry) {
    return QStringLiteral("%1").arg(entry + 1, 2, 10, QLatin1Char(' '));
}

QIcon windowIcon() {
    ensureResources();
    // The same renderings the desktop's icon theme gets; the window manager picks its size.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/jeerkit/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap aboutPicture() {
    ensureResources();
    return QPixmap(QStringLiteral(":/jeerkit/about.jpg"));
}

} // namespace jk::look
