#include "gamelink/GameLink.h"

#include "curse/RandomSource.h"
#include "phrasebook/BuiltIns.h"
#include "phrasebook/PhraseBook.h"
#include "support/FakePlatform.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTest>

using namespace jk;

namespace {

class FixedRandom final : public RandomSource {
public:
    float next() override { return 0.0f; }
};

constexpr platform::WindowId UO = 11, ThirdDawn = 22, Linked = 33;

struct Fixture {
    PhraseBook book;
    test::FakePlatform desktop;
    FixedRandom random;
    QStringList warnings;
    GameLink link{book, desktop, random, [this](const QString& t) {
                      warnings << t;
                  }};

    Fixture() {
        book.CurrentTextSet = 0;
        book.Prefix = "Thou";
        for (int e = 0; e < EntryCount; ++e) {
            book.EntryLong[0][e] = QString("entry %1").arg(e);
            book.EntryEnter[0][e] = 1;
        }
    }
    QString typed(std::size_t n) const { return QString::fromStdU32String(desktop.typedText(n)); }
};

} // namespace

class TestGameLink : public QObject {
    Q_OBJECT
private slots:
    void noGameWarnsOnceAfterEveryClass();
    void classOrder_data();
    void classOrder();
    void linkingTheGameSendsTheLine_data();
    void linkingTheGameSendsTheLine();
    void curseOnlyLooksForUltimaOnline();
    void emptyLineStillFrontsAndPauses();
    void gameNotFrontedTypesNothing();
    void noDisplayExplains();
    void nestedSendTypesSecondFirst();
    void readsEntryAtMomentOfSend();
    void keyboardGivenBackWhenIdle();
};

void TestGameLink::noGameWarnsOnceAfterEveryClass() {
    Fixture f;
    QLoggingCategory::setFilterRules(QStringLiteral("jk.gamelink.info=true"));
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("Not sent, no game window")); // logged
    f.link.SendEntry(0);
    QCOMPARE(f.warnings, QStringList{"No instance of UO found."});
    QVERIFY(f.desktop.typed.empty());
    QCOMPARE(f.desktop.calls.size(), 1u); // one lookup over both classes, then the warning
    QVERIFY(!f.link.Timer1.isActive());
}

void TestGameLink::classOrder_data() {
    QTest::addColumn<bool>("uo");
    QTest::addColumn<bool>("thirdDawn");
    QTest::addColumn<quint64>("window");
    QTest::addColumn<bool>("linked"); // a window of the player's own second class
    QTest::newRow("only third dawn") << false << true << quint64(ThirdDawn) << false;
    QTest::newRow("both: ultima online wins") << true << true << quint64(UO) << false;
    QTest::newRow("only ultima online") << true << false << quint64(UO) << false;
    QTest::newRow("built-in before own") << false << true << quint64(ThirdDawn) << true;
    QTest::newRow("own after built-ins") << false << false << quint64(Linked) << true;
}

void TestGameLink::classOrder() {
    QFETCH(bool, uo);
    QFETCH(bool, thirdDawn);
    QFETCH(quint64, window);
    QFETCH(bool, linked);
    Fixture f;
    f.book.GameWindowClasses = {"cuo", "client.exe"};
    if (linked)
        f.desktop.windows["client.exe"] = Linked;
    if (uo)
        f.desktop.windows["Ultima Online"] = UO;
    if (thirdDawn)
        f.desktop.windows["Ultima Online Third Dawn"] = ThirdDawn;
    f.book.EntryStyle[0][2] = Yell;
    f.link.SendEntry(2);
    QVERIFY(f.warnings.isEmpty());
    QCOMPARE(f.desktop.typed.size(), 1u);
    QCOMPARE(f.desktop.calls.back().window, window);
    QCOMPARE(f.typed(0), QString("! entry 2\n"));
}

void TestGameLink::linkingTheGameSendsTheLine_data() {
    QTest::addColumn<QString>("picked");
    QTest::addColumn<int>("typedLines");
    QTest::addColumn<QStringList>("warnings");
    QTest::newRow("game linked") << "client.exe" << 1 << QStringList{};
    QTest::newRow("box closed") << "" << 0 << QStringList{};
    QTest::newRow("picked window gone") << "gone" << 0 << QStringList{"No instance of UO found."};
}

void TestGameLink::linkingTheGameSendsTheLine() {
    QFETCH(QString, picked);
    QFETCH(int, typedLines);
    QFETCH(QStringList, warnings);
    Fixture f;
    QStringList asked;
    f.link.setGamePicker([&](const QString& text) {
        asked << text;
        f.desktop.windows["client.exe"] = Linked; // the player clicks on the game
        return picked;
    });
    int changes = 0;
    connect(&f.link, &GameLink::gameWindowClassesChanged, this, [&] { ++changes; });
    f.link.SendEntry(1);
    QCOMPARE(asked, QStringList{"No instance of UO found."});
    QCOMPARE(f.warnings, warnings);
    QCOMPARE(int(f.desktop.typed.size()), typedLines);
    QCOMPARE(f.book.GameWindowClasses, picked.isEmpty() ? QStringList{} : QStringList{picked});
    QCOMPARE(changes, picked.isEmpty() ? 0 : 1);
    if (typedLines == 1)
        QCOMPARE(f.typed(0), QString("entry 1\n"));
}

void TestGameLink::curseOnlyLooksForUltimaOnline() {
    Fixture f;
    f.desktop.windows["Ultima Online Third Dawn"] = ThirdDawn;
    f.link.SendCurse();
    QCOMPARE(f.warnings, QStringList{"No instance of UO found."});
    QVERIFY(f.desktop.typed.empty());

    f.desktop.windows["Ultima Online"] = UO;
    f.link.SendCurse();
    QCOMPARE(f.typed(0), QString("Thou artless base-court apple-john!\n"));
}

void TestGameLink::emptyLineStillFrontsAndPauses() {
    Fixture f;
    f.desktop.windows["Ultima Online"] = UO;
    f.book.EntryLong[0][5] = "";
    f.book.EntryEnter[0][5] = 0;
    f.link.SendEntry(5);
    QCOMPARE(f.desktop.calls.at(1).what, std::string("activate"));
    QCOMPARE(f.desktop.typed.size(), 1u);
    QVERIFY(f.desktop.typed[0].empty());
}

void TestGameLink::gameNotFrontedTypesNothing() {
    Fixture f;
    f.desktop.windows["Ultima Online"] = UO;
    f.desktop.frontingWorks = false;
    f.link.SendEntry(0);
    QVERIFY(f.desktop.typed.empty());
    QCOMPARE(f.warnings.size(), 1);
    QVERIFY(f.warnings[0].contains("nothing was typed"));
}

void TestGameLink::noDisplayExplains() {
    Fixture f;
    f.desktop.unavailable = "No X display.";
    f.link.SendEntry(0);
    f.link.SendCurse();
    QCOMPARE(f.warnings, QStringList({"No X display.", "No X display."}));
    QVERIFY(f.desktop.typed.empty());
}

void TestGameLink::nestedSendTypesSecondFirst() {
    Fixture f;
    f.desktop.windows["Ultima Online"] = UO;
    // A second click arrives while the first send pauses.
    QTimer::singleShot(20, &f.link, [&] { f.link.SendEntry(7); });
    f.link.SendEntry(3);
    QCOMPARE(f.desktop.typed.size(), 2u);
    QCOMPARE(f.typed(0), QString("entry 7\n"));
    QCOMPARE(f.typed(1), QString("entry 3\n"));
    QVERIFY(!f.link.Timer1.isActive());
}

void TestGameLink::readsEntryAtMomentOfSend() {
    Fixture f;
    f.desktop.windows["Ultima Online"] = UO;
    f.book.Vars[0] = "Bob";
    f.book.EntryLong[0][1] = "hi <var1> (there)";
    f.book.EntryStyle[0][1] = Emote;
    // An edit made during the pause affects later sends only.
    QTimer::singleShot(10, &f.link, [&] { f.book.Vars[0] = "Ann"; });
    f.link.SendEntry(1);
    f.link.SendEntry(1);
    QCOMPARE(f.typed(0), QString(": hi Bob [there]\n"));
    QCOMPARE(f.typed(1), QString(": hi Ann [there]\n"));

    f.book.CurrentTextSet = 4;
    f.book.EntryLong[4][1] = "other set";
    f.book.EntryEnter[4][1] = 0;
    f.link.SendEntry(1);
    QCOMPARE(f.typed(2), QString("other set"));
}

void TestGameLink::keyboardGivenBackWhenIdle() {
    Fixture f;
    f.desktop.windows["Ultima Online"] = UO;
    f.link.SendEntry(0);
    QCOMPARE(f.desktop.calls.back().what, std::string("type"));
    QTRY_COMPARE_WITH_TIMEOUT(f.desktop.calls.back().what, std::string("release"), 10000);
}

QTEST_GUILESS_MAIN(TestGameLink)
#include "tst_gamelink.moc"
