// No control covers another where the layout does not say so.
#include "UiHarness.h"

#include "ui/Appearance.h"
#include "ui/ControlTable.h"
#include "ui/FieldComboBox.h"
#include "ui/FormAbout.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using namespace jk;
using namespace jk::test;

namespace {

struct Windows {
    StoreFile file;
    UiRun run{file.path()};
    FormAbout about;
    Windows() {
        run.start();
        run.main->Command3()->click();
        run.main->smallWindow()->Command3()->click();
    }
    QWidget* byName(const QString& name) {
        if (name == u"main")
            return run.main.get();
        if (name == u"small")
            return run.main->smallWindow();
        if (name == u"tiny")
            return run.main->tinyWindow();
        return &about;
    }
};

QString nameOf(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text().left(12);
    return QString::fromLatin1(w->metaObject()->className());
}

// Controls that the layout draws one pixel into each other: the variable boxes of the main
// window, one under the other, and the tiny window's two rows of buttons and its label.
QList<const QWidget*> touching(Windows& all, const QString& window) {
    QList<const QWidget*> out;
    if (window == u"main")
        out.append({all.run.main->TextVar().begin(), all.run.main->TextVar().end()});
    if (window == u"tiny") {
        FormTiny& tiny = *all.run.main->tinyWindow();
        out.append({tiny.Command2().begin(), tiny.Command2().end()});
        out.append(tiny.LabelFullText());
    }
    return out;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void noControlCoversAnother_data();
    void noControlCoversAnother();
    void controlsFollowTheTables_data();
    void controlsFollowTheTables();
};

void TestLayout::noControlCoversAnother_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("controls");
    QTest::newRow("main") << "main" << 3 + 1 + 1 + 1 + 6 + 7 + 24 * 5;
    QTest::newRow("small") << "small" << 3 + 1 + 24 * 2;
    QTest::newRow("tiny") << "tiny" << 3 + 1 + 24;
    QTest::newRow("about") << "about" << 7;
}

void TestLayout::noControlCoversAnother() {
    QFETCH(QString, window);
    QFETCH(int, controls);
    Windows all;
    QWidget* w = all.byName(window);
    const QList<QWidget*> children = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), controls);
    const QRect client = w->rect();
    const QList<const QWidget*> allowedToTouch = touching(all, window);
    for (const QWidget* a : children) {
        // The tiny window's label is one pixel wider than the window: the layout says so.
        if (!(window == u"tiny" && qobject_cast<const QLabel*>(a)))
            QVERIFY2(client.contains(a->geometry()), qPrintable(nameOf(a)));
        for (const QWidget* b : children) {
            if (a >= b || !a->geometry().intersects(b->geometry()))
                continue;
            const bool allowed = allowedToTouch.contains(a) && allowedToTouch.contains(b) &&
                                 a->geometry().intersected(b->geometry()).height() == 1;
            QVERIFY2(allowed, qPrintable(nameOf(a) + QStringLiteral(" / ") + nameOf(b)));
        }
    }
}

void TestLayout::controlsFollowTheTables_data() {
    QTest::addColumn<QString>("window");
    for (const char* window : {"main", "small", "tiny", "about"})
        QTest::newRow(window) << window;
}

// Every control of the window's table, and nothing else: its name, rectangle, font, colours
// and place in the keyboard order.
void TestLayout::controlsFollowTheTables() {
    using namespace controls;
    QFETCH(QString, window);
    Windows all;
    QWidget* w = all.byName(window);
    const Window& table = window == u"about"   ? aboutBox()
                          : window == u"small" ? smallWindow()
                          : window == u"tiny"  ? tinyWindow()
                                               : mainWindow();
    QCOMPARE(w->size(), QSize(twipsToPixels(table.width), twipsToPixels(table.height)));
    const QFont fonts[] = {w->font(), look::sansFont(false), look::sansFont(true),
                           look::numberFont()};
    const QColor backgrounds[] = {w->palette().color(QPalette::Window), Qt::black, Qt::black,
                                  Qt::white};
    std::vector<std::pair<int, QWidget*>> order;
    qsizetype count = 0;
    for (const Control& row : table.controls) {
        for (int i = row.first; i <= row.last; ++i, ++count) {
            const QString name = QString::fromStdString(controls::objectName(row, i));
            auto* c = w->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
            QVERIFY2(c, qPrintable(name));
            const Rect r = rectOf(row, i);
            QCOMPARE(c->geometry(), twipsRect(r.left, r.top, r.width, r.height));
            QCOMPARE(c->font(), fonts[int(row.font)]);
            QVERIFY2(!c->autoFillBackground() ||
                         c->palette().color(c->backgroundRole()) == backgrounds[int(row.colour)],
                     qPrintable(name));
            if (row.colour == Colour::CyanOnBlack)
                QCOMPARE(c->palette().color(QPalette::WindowText), look::Cyan);
            if (tabOf(row, i) >= 0)
                order.emplace_back(tabOf(row, i), c);
        }
    }
    QCOMPARE(w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), count);
    std::ranges::sort(order, {}, &std::pair<int, QWidget*>::first);
    QWidget* next = order.front().second;
    for (const auto& [tab, expected] : order) {
        QCOMPARE(next->objectName(), expected->objectName());
        do
            next = next->nextInFocusChain();
        while (next->parentWidget() != w || !(next->focusPolicy() & Qt::TabFocus));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
