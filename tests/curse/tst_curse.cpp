#include "curse/ComposeCurseLine.h"
#include "curse/CurseWords.h"
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
    void wordLists();
    void lineFormat_data();
    void lineFormat();
    void topOfRangeStaysInList();
    void everyWordReachableAndEven();
};

void TestCurse::wordLists() {
    QCOMPARE(CurseAdjectives().size(), 73);
    QCOMPARE(CurseCompounds().size(), 72);
    QCOMPARE(CurseNouns().size(), 73);
    QCOMPARE(CurseAdjectives().front(), QString("artless"));
    QCOMPARE(CurseAdjectives().back(), QString("yeasty"));
    QCOMPARE(CurseCompounds().back(), QString("white-livered"));
    QCOMPARE(CurseNouns().back(), QString("wagtail"));
    QCOMPARE(CurseNouns().at(28), QString("hedge-pig"));
    QCOMPARE(CurseNouns().at(30), QString("hedge-pig"));
    QCOMPARE(CurseNouns().count("hedge-pig"), 2);
    for (const QString& w : CurseCompounds())
        QVERIFY2(w.contains(u'-'), qPrintable(w));
}

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

void TestCurse::everyWordReachableAndEven() {
    ClockSeededRandom random;
    random.seed(12345);
    const int draws = 73 * 2000;
    std::vector<int> adjective(73), compound(72), noun(73);
    for (int i = 0; i < draws; ++i) {
        const QString line = ComposeCurseLine("Thou", random);
        const QStringList words = line.chopped(8).split(u' ');
        QCOMPARE(words.size(), 4);
        ++adjective[CurseAdjectives().indexOf(words[1])];
        ++compound[CurseCompounds().indexOf(words[2])];
        ++noun[CurseNouns().lastIndexOf(words[3])]; // both hedge-pigs count at 30
    }
    const auto within = [](int count, double expected) {
        return std::abs(count - expected) < 5 * std::sqrt(expected);
    };
    for (int i = 0; i < 73; ++i)
        QVERIFY2(within(adjective[i], draws / 73.0), qPrintable(QString::number(i)));
    for (int i = 0; i < 72; ++i)
        QVERIFY2(within(compound[i], draws / 72.0), qPrintable(QString::number(i)));
    for (int i = 0; i < 73; ++i) {
        if (i == 28)
            continue;
        const double expected = (i == 30 ? 2 : 1) * draws / 73.0;
        QVERIFY2(within(noun[i], expected), qPrintable(QString::number(i)));
    }
    for (int i = 0; i < 100000; ++i) {
        const float v = random.next();
        QVERIFY(v >= 0.0f && v < 1.0f);
    }
}

QTEST_APPLESS_MAIN(TestCurse)
#include "tst_curse.moc"
