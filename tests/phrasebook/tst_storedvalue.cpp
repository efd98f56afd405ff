#include "phrasebook/StoredValue.h"

#include <QTest>

using namespace jk;

class TestStoredValue : public QObject {
    Q_OBJECT
private slots:
    void style_data();
    void style();
    void int16_data();
    void int16();
    void boolean_data();
    void boolean();
    void single_data();
    void single();
    void formats();
};

void TestStoredValue::style_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -99999: counts as missing
    QTest::newRow("leading blank") << " 3" << 3;
    QTest::newRow("blank and tab") << " \t 2" << 2;
    QTest::newRow("trailing letter") << "3x" << 3;
    QTest::newRow("letter alone") << "x" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("half down to even") << "2.5" << 2;
    QTest::newRow("half up to even") << "3.5" << 4;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("point only fraction") << ".6" << 1;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("exponent") << "1e1" << 10;
    QTest::newRow("too big for 16 bits") << "40000" << -99999;
    QTest::newRow("blank inside") << "1 2" << 1;
}

void TestStoredValue::style() {
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto parsed = stored::parseStyle(text);
    QCOMPARE(parsed.has_value(), value != -99999);
    if (parsed)
        QCOMPARE(int(*parsed), value);
}

void TestStoredValue::int16_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "1" << 1;
    QTest::newRow("blanks around") << "  17 " << 17;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("half to even") << "0.5" << 0;
    QTest::newRow("fraction") << "1.6" << 2;
    QTest::newRow("trailing letter") << "1x" << -99999;
    QTest::newRow("word") << "True" << -99999;
    QTest::newRow("empty") << "" << -99999;
    QTest::newRow("overflow") << "32768" << -99999;
    QTest::newRow("max") << "32767" << 32767;
    QTest::newRow("nan") << "nan" << -99999;
}

void TestStoredValue::int16() {
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto parsed = stored::parseInt16(text);
    QCOMPARE(parsed.has_value(), value != -99999);
    if (parsed)
        QCOMPARE(int(*parsed), value);
}

void TestStoredValue::boolean_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // 0 false, 1 true, -1 missing
    QTest::newRow("True") << "True" << 1;
    QTest::newRow("false lower") << "false" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("minus one") << "-1" << 1;
    QTest::newRow("blank number") << " 2 " << 1;
    QTest::newRow("yes") << "yes" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestStoredValue::boolean() {
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto parsed = stored::parseBoolean(text);
    QCOMPARE(parsed.has_value(), value != -1);
    if (parsed)
        QCOMPARE(int(*parsed), value);
}

void TestStoredValue::single_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("value");
    QTest::newRow("whole") << "1500" << true << 1500.0f;
    QTest::newRow("fraction") << "1234.5" << true << 1234.5f;
    QTest::newRow("negative") << "-300" << true << -300.0f;
    QTest::newRow("far off-screen") << "9000000" << true << 9000000.0f;
    QTest::newRow("word") << "left" << false << 0.0f;
    QTest::newRow("overflow") << "1e60" << false << 0.0f;
    QTest::newRow("inf") << "inf" << false << 0.0f;
}

void TestStoredValue::single() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(float, value);
    const auto parsed = stored::parseSingle(text);
    QCOMPARE(parsed.has_value(), ok);
    if (parsed)
        QCOMPARE(*parsed, value);
}

void TestStoredValue::formats() {
    QCOMPARE(stored::formatStyle(3), QString(" 3"));
    QCOMPARE(stored::formatStyle(0), QString(" 0"));
    QCOMPARE(stored::formatStyle(-1), QString("-1"));
    QCOMPARE(stored::formatBoolean(true), QString("True"));
    QCOMPARE(stored::formatSingle(1500.0f), QString("1500"));
    // Every single survives the trip through text.
    for (float f : {0.1f, 1234.5f, -7.25f, 3.4e30f, 1e-20f})
        QCOMPARE(stored::parseSingle(stored::formatSingle(f)).value(), f);
}

QTEST_APPLESS_MAIN(TestStoredValue)
#include "tst_storedvalue.moc"
