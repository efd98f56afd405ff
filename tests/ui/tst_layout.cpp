// Every window is built as its table says, and no control covers another where the layout
// does not say so.
#include "UiHarness.h"

#include "ui/Appearance.h"
#include "ui/ControlTable.h"
#include "ui/FormAbout.h"
#include "ui/Twips.h"

#include <QAccessible>

#include <map>

using namespace jk::controls;

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void controlsFollowTheTables_data() {
        QTest::addColumn<int>("size"); // 0: the about box
        for (const int size : {1, 2, 3})
            QTest::newRow(workingWindow(WindowSize(size)).name) << size;
        QTest::newRow(aboutBox().name) << 0;
    }

    // Every control of the table and nothing else: its name, rectangle, font, colours and
    // place in the keyboard order.
    void controlsFollowTheTables() {
        QFETCH(int, size);
        Run run;
        run.switchTo(WindowSize::Tiny);
        FormAbout about;
        QWidget* w = size ? static_cast<QWidget*>(run.window(WindowSize(size))) : &about;
        const Window& table = size ? workingWindow(WindowSize(size)) : aboutBox();
        QCOMPARE(w->size(), QSize(twipsToPixels(table.width), twipsToPixels(table.height)));
        const QFont fonts[] = {w->font(), look::sansFont(false), look::sansFont(true),
                               look::numberFont()};
        const QColor backgrounds[] = {w->palette().color(QPalette::Window), Qt::black, Qt::black,
                                      Qt::white};
        std::map<int, QWidget*> order; // by place in the keyboard order
        std::vector<QWidget*> all;
        for (const Control& row : table.controls) {
            for (int i = row.first; i <= row.last; ++i) {
                const QString name = QString::fromStdString(controls::objectName(row.name, i));
                auto* c = w->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
                QVERIFY2(c, qPrintable(name));
                const Rect r = rectOf(row, i);
                QCOMPARE(c->geometry(), twipsRect(r.left, r.top, r.width, r.height));
                QCOMPARE(c->font(), fonts[int(row.font)]);
                QVERIFY2(!c->autoFillBackground() || c->palette().color(c->backgroundRole()) ==
                                                         backgrounds[int(row.colour)],
                         qPrintable(name));
                if (row.colour == Colour::CyanOnBlack)
                    QCOMPARE(c->palette().color(QPalette::WindowText), look::Cyan);
                // What takes the focus has a name to be read out.
                QVERIFY2(tabOf(row, i) < 0 || !QAccessible::queryAccessibleInterface(c)
                                                   ->text(QAccessible::Name)
                                                   .isEmpty(),
                         qPrintable(name));
                if (tabOf(row, i) >= 0)
                    order[tabOf(row, i)] = c;
                // Inside the window (the tiny window's label is a pixel wider, as drawn), and
                // touching another control by at most the one-pixel overlaps the layout has.
                QVERIFY2(w->rect().contains(c->geometry()) ||
                             (size == 3 && row.kind == Kind::WrappedLabel),
                         qPrintable(name));
                for (const QWidget* b : all)
                    QVERIFY2(b->geometry().intersected(c->geometry()).height() <= 1,
                             qPrintable(name + u'/' + b->objectName()));
                all.push_back(c);
            }
        }
        QCOMPARE(w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                 qsizetype(all.size()));
        QWidget* next = order.begin()->second;
        for (const auto& [tab, expected] : order) {
            QCOMPARE(next->objectName(), expected->objectName());
            do
                next = next->nextInFocusChain();
            while (next->parentWidget() != w || !(next->focusPolicy() & Qt::TabFocus));
        }
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
