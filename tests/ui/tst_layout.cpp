// No control covers another where the layout does not say so.
#include "UiHarness.h"

#include "ui/FieldComboBox.h"
#include "ui/FormAbout.h"
#include "ui/FormSmall.h"
#include "ui/FormTiny.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace jk;
using namespace jk::test;

namespace {

struct Windows {
    StoreFile file;
    UiRun run{file.path()};
    FormAbout about;
    Windows() {
        run.start();
        run.main->Command3->click();
        run.main->smallWindow()->Command3->click();
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
        out.append({all.run.main->TextVar.begin(), all.run.main->TextVar.end()});
    if (window == u"tiny") {
        FormTiny& tiny = *all.run.main->tinyWindow();
        out.append({tiny.Command2.begin(), tiny.Command2.end()});
        out.append(tiny.LabelFullText);
    }
    return out;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void noControlCoversAnother_data();
    void noControlCoversAnother();
};

void TestLayout::noControlCoversAnother_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("controls");
    QTest::newRow("main") << "main" << 3 + 1 + 1 + 1 + 6 + 7 + 24 * 5;
    QTest::newRow("small") << "small" << 3 + 1 + 24 * 2;
    QTest::newRow("tiny") << "tiny" << 3 + 1 + 24;
    QTest::newRow("about") << "about" << 6;
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

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
