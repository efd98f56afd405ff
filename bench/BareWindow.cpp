// The anchor for start-up time and memory: a plain Qt window with as many widgets as the
// main window and none of its work.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(609, 598);
    int y = 66;
    for (int i = 0; i < 24; ++i, y += 22) {
        (new QPushButton(QString::number(i + 1), &window))->setGeometry(6, y, 22, 21);
        (new QLineEdit(&window))->setGeometry(30, y, 448, 21);
        (new QLineEdit(&window))->setGeometry(480, y, 46, 21);
        auto* combo = new QComboBox(&window);
        combo->addItems({"Say", "Emote", "Yell", "Whisper", "Gesture"});
        combo->setGeometry(528, y, 58, 21);
        (new QCheckBox(&window))->setGeometry(590, y + 2, 17, 17);
    }
    for (int i = 0; i < 3; ++i)
        (new QPushButton(QStringLiteral("Button"), &window))->setGeometry(6 + 130 * i, 26, 87, 38);
    (new QComboBox(&window))->setGeometry(288, 40, 298, 21);
    (new QCheckBox(QStringLiteral("Check"), &window))->setGeometry(288, 12, 103, 13);
    for (int i = 0; i < 7; ++i) {
        (new QLineEdit(&window))->setGeometry(48 + 70 * i, 2, 46, 21);
        (new QLabel(QStringLiteral("Label"), &window))->setGeometry(8 + 70 * i, 6, 37, 13);
    }
    window.show();
    return app.exec();
}
