#include "curse/ComposeCurseLine.h"
#include "curse/RandomSource.h"

#include <QTest>

#include <cmath>
#include <deque>

using namespace jk;

namespace {

// Hands out chosen values, so that a test picks the words.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::deque<float> values)
        : values_(std::move(values)) {}
    float next() override {
        const float v = values_.front();
        values_.pop_front();
        return v;
    }

private:
    std::deque<float> values_;
};

float pick(int index, int count) {
    return (float(index) + 0.5f) / float(count);
}

} // namespace

class TestCurse : public QObject {
    Q_OBJECT
private slots:
    void lineFormat_data();
    void lineFormat();
    void topOfRangeStaysInList();
};

void TestCurse::lineFormat_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("line");
    QTest::newRow("example") << "Thou"
                             << "Thou artless beef-witted baggage!{ENTER}";
    QTest::newRow("empty prefix") << ""
                                  << " artless beef-witted baggage!{ENTER}";
    QTest::newRow("parenthesis kept") << "a(b"
                                      << "a(b artless beef-witted baggage!{ENTER}";
    QTest::newRow("token kept") << "<var1>"
                                << "<var1> artless beef-witted baggage!{ENTER}";
}

void TestCurse::lineFormat() {
    QFETCH(QString, prefix);
    QFETCH(QString, line);
    ScriptedRandom random({pick(0, 73), pick(2, 72), pick(1, 73)});
    QCOMPARE(ComposeCurseLine(prefix, random), line);
}

void TestCurse::topOfRangeStaysInList() {
    const float belowOne = std::nextafter(1.0f, 0.0f);
    QCOMPARE(DrawIndex(belowOne, 73), 72);
    QCOMPARE(DrawIndex(belowOne, 72), 71);
    QCOMPARE(DrawIndex(0.0f, 73), 0);
    QCOMPARE(DrawIndex(1.0f, 73), 72); // a generator that breaks its promise still reads no further
    ScriptedRandom random({belowOne, belowOne, belowOne});
    QCOMPARE(ComposeCurseLine("Thou", random),
             QString("Thou yeasty white-livered wagtail!{ENTER}"));
}

QTEST_APPLESS_MAIN(TestCurse)
#include "tst_curse.moc"
