#include "phrasebook/StoredValue.h"

#include <QTest>

using namespace jk;

namespace {

template <typename T>
QString shown(const std::optional<T>& v) {
    return v ? QString::number(double(*v), 'g', 10) : QStringLiteral("missing");
}

} // namespace

class TestStoredValue : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void formats();
};

void TestStoredValue::parse_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* kind, const char* name, const char* text, const char* value) {
        QTest::addRow("%s: %s", kind, name) << kind << text << value;
    };
    row("style", "leading blank", " 3", "3");
    row("style", "blank and tab", " \t 2", "2");
    row("style", "trailing letter", "3x", "3");
    row("style", "letter alone", "x", "0");
    row("style", "empty", "", "0");
    row("style", "half down to even", "2.5", "2");
    row("style", "half up to even", "3.5", "4");
    row("style", "negative", "-1", "-1");
    row("style", "point only fraction", ".6", "1");
    row("style", "sign alone", "-", "0");
    row("style", "exponent", "1e1", "10");
    row("style", "too big for 16 bits", "40000", "missing");
    row("style", "blank inside", "1 2", "1");
    row("int16", "blanks around", "  17 ", "17");
    row("int16", "half to even", "0.5", "0");
    row("int16", "fraction", "1.6", "2");
    row("int16", "trailing letter", "1x", "missing");
    row("int16", "word", "True", "missing");
    row("int16", "empty", "", "missing");
    row("int16", "overflow", "32768", "missing");
    row("int16", "max", "32767", "32767");
    row("int16", "nan", "nan", "missing");
    row("boolean", "True", "True", "1");
    row("boolean", "false lower", "false", "0");
    row("boolean", "zero", "0", "0");
    row("boolean", "minus one", "-1", "1");
    row("boolean", "blank number", " 2 ", "1");
    row("boolean", "yes", "yes", "missing");
    row("boolean", "empty", "", "missing");
    row("single", "fraction", "1234.5", "1234.5");
    row("single", "negative", "-300", "-300");
    row("single", "far off-screen", "9000000", "9000000");
    row("single", "word", "left", "missing");
    row("single", "overflow", "1e60", "missing");
    row("single", "inf", "inf", "missing");
}

void TestStoredValue::parse() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, value);
    const QString got = kind == u"style"     ? shown(stored::parseStyle(text))
                        : kind == u"int16"   ? shown(stored::parseInt16(text))
                        : kind == u"boolean" ? shown(stored::parseBoolean(text))
                                             : shown(stored::parseSingle(text));
    QCOMPARE(got, value);
}

void TestStoredValue::formats() {
    QCOMPARE(stored::formatStyle(3), QString(" 3"));
    QCOMPARE(stored::formatStyle(-1), QString("-1"));
    QCOMPARE(stored::formatBoolean(true), QString("True"));
    QCOMPARE(stored::formatSingle(1500.0f), QString("1500"));
    // Every single survives the trip through text.
    for (float f : {0.1f, 1234.5f, -7.25f, 3.4e30f, 1e-20f})
        QCOMPARE(stored::parseSingle(stored::formatSingle(f)).value(), f);
}

QTEST_APPLESS_MAIN(TestStoredValue)
#include "tst_storedvalue.moc"
