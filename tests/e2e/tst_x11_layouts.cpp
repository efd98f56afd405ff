// Typing on keyboard layouts other than US English: AltGr levels, dead keys, a second group.

#include "E2eWait.h"
#include "KeyRows.h"
#include "PeerProcess.h"
#include "XDisplayProbe.h"
#include "gamelink/platform/x11/X11Platform.h"

#include <QProcess>
#include <QtTest>

#include <memory>

using namespace jk::e2e;

class TestX11Layouts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void typesOnLayout_data();
    void typesOnLayout();
    void followsLayoutChangeWhileBound();

private:
    void setLayout(const QStringList& args);

    std::unique_ptr<PeerProcess> peer_;
    std::unique_ptr<XDisplayProbe> probe_;
};

void TestX11Layouts::setLayout(const QStringList& args) {
    QProcess setxkbmap;
    setxkbmap.start(QStringLiteral("setxkbmap"), args);
    QVERIFY2(setxkbmap.waitForFinished(20000), "setxkbmap did not finish");
    QVERIFY2(setxkbmap.exitCode() == 0, setxkbmap.readAllStandardError().constData());
}

void TestX11Layouts::initTestCase() {
    QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run under tests/e2e/with-x.sh");
    probe_ = std::make_unique<XDisplayProbe>();
    QVERIFY(probe_->ok());
    peer_ = std::make_unique<PeerProcess>();
    QVERIFY2(peer_->started(), peer_->error().c_str());
}

void TestX11Layouts::cleanupTestCase() {
    peer_.reset();
    setLayout({QStringLiteral("us")});
}

void TestX11Layouts::typesOnLayout_data() {
    QTest::addColumn<QStringList>("layout"); // setxkbmap arguments
    QTest::addColumn<int>("group");          // group to lock
    QTest::addColumn<QString>("onLayout");   // typed with the layout's own keys only
    QTest::addColumn<QString>("offLayout");  // needs spare keys

    // German: @ { [ ] } \ | ~ € µ on AltGr (level 3); ^ ` ´ only as dead keys.
    QTest::newRow("de") << QStringList{QStringLiteral("de")} << 0
                        << QStringLiteral("@{[]}\\|€µ²³ zyZY äöüÄÖÜß!\"§$%&/()=?")
                        << QStringLiteral("^`´~ é");
    // French AZERTY: digits on Shift, accents on the number row.
    QTest::newRow("fr") << QStringList{QStringLiteral("fr")} << 0
                        << QStringLiteral("azerty AZERTY 1234567890 éèçàù &\"'(-_)=@#{[|\\]}€")
                        << QStringLiteral("^¨~` ñ");
    // Russian as the second group, locked: Cyrillic from its keys, Latin from spare keys.
    QTest::newRow("us,ru group 2")
        << QStringList{QStringLiteral("-layout"), QStringLiteral("us,ru")} << 1
        << QStringLiteral("Привет, мир! ЁЖЩ ёжщ 123") << QStringLiteral("Hello");
}

void TestX11Layouts::typesOnLayout() {
    QFETCH(QStringList, layout);
    QFETCH(int, group);
    QFETCH(QString, onLayout);
    QFETCH(QString, offLayout);

    setLayout(layout);
    probe_->lockGroup(group);
    QVERIFY(waitUntil([&] { return probe_->currentGroup() == group; }));

    jk::platform::x11::X11Platform platform;
    platform.activate(peer_->window());
    QVERIFY(waitUntil([&] { return platform.hasFocus(peer_->window()); }));

    const std::string keymap = probe_->keymapDump();
    const std::string first = typeAndRecord(platform, *peer_, textKeys(onLayout.toStdU32String()));
    QCOMPARE(QString::fromStdString(first), onLayout);
    // Nothing was bound: every character came from the layout's own keys and levels.
    QCOMPARE(probe_->keymapDump(), keymap);

    const QString mixed = offLayout + onLayout + offLayout;
    const std::string second = typeAndRecord(platform, *peer_, textKeys(mixed.toStdU32String()));
    QCOMPARE(QString::fromStdString(second), mixed);
    QCOMPARE(probe_->pressedKeycodes(), std::vector<int>());

    platform.releaseKeyboard();
    QCOMPARE(probe_->keymapDump(), keymap);
    probe_->lockGroup(0);
}

void TestX11Layouts::followsLayoutChangeWhileBound() {
    setLayout({QStringLiteral("us")});
    jk::platform::x11::X11Platform platform;
    platform.activate(peer_->window());
    QVERIFY(waitUntil([&] { return platform.hasFocus(peer_->window()); }));
    QCOMPARE(QString::fromStdString(typeAndRecord(platform, *peer_, textKeys(U"é@ä"))),
             QStringLiteral("é@ä"));

    // Another layout replaces the whole keymap, bindings included.
    setLayout({QStringLiteral("de")});
    const std::string german = probe_->keymapDump();
    QCOMPARE(QString::fromStdString(typeAndRecord(platform, *peer_, textKeys(U"é@äz"))),
             QStringLiteral("é@äz"));
    platform.releaseKeyboard();
    QCOMPARE(probe_->keymapDump(), german);
}

QTEST_GUILESS_MAIN(TestX11Layouts)
#include "tst_x11_layouts.moc"
