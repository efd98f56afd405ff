// jeerkit.exe, the Windows build, under Wine against the Win32 stand-in game: the same table of
// lines as on X11 from every window, the game fronted when the keys arrive, the game classes,
// "Always on top", switching and closing, and the store in the registry branch.
#include "E2eWait.h"
#include "LineTable.h"
#include "PeerProcess.h"
#include "ProgramWindows.h"
#include "XDisplayProbe.h"
#include "XWindows.h"

#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>

using namespace jk;
using namespace jk::e2e;
using namespace std::chrono_literals;

namespace {

const QString Wine = QStringLiteral(JK_WINE64_EXE);
const QString Program = QStringLiteral(JK_WINDOWS_EXE);
const QString Branch =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Jeerkit");
const char* const UO = "Ultima Online";
const char* const ThirdDawn = "Ultima Online Third Dawn";

using Registry = QMap<QString, QMap<QString, QString>>; // section -> key -> value

QString windowsPath(const QString& unixPath) {
    return QStringLiteral("Z:") + QString(unixPath).replace(u'/', u'\\');
}

bool runWine(const QStringList& arguments) {
    QProcess wine;
    wine.start(Wine, arguments);
    return wine.waitForFinished(120000) && wine.exitStatus() == QProcess::NormalExit &&
           wine.exitCode() == 0;
}

QString regQuoted(QString text) {
    return u'"' +
           text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")) + u'"';
}

// Replaces the branch with the sections of an INI store, through regedit.
bool importStore(const QString& iniPath, const QString& regPath) {
    QSettings ini(iniPath, QSettings::IniFormat);
    QString reg =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n[-%1]\r\n").arg(Branch);
    for (const QString& section : ini.childGroups()) {
        reg += QStringLiteral("\r\n[%1\\%2]\r\n").arg(Branch, section);
        ini.beginGroup(section);
        for (const QString& key : ini.childKeys())
            reg += regQuoted(key) + u'=' + regQuoted(ini.value(key).toString()) +
                   QStringLiteral("\r\n");
        ini.endGroup();
    }
    QFile file(regPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\xFF\xFE"); // regedit reads UTF-16LE with its mark
    file.write(reinterpret_cast<const char*>(reg.utf16()), reg.size() * 2);
    file.close();
    return runWine({QStringLiteral("regedit"), QStringLiteral("/S"), windowsPath(regPath)});
}

// The branch as regedit exports it (UTF-16LE); string values only.
Registry exportStore(const QString& regPath) {
    Registry registry;
    QFile::remove(regPath);
    if (!runWine({QStringLiteral("regedit"), QStringLiteral("/E"), windowsPath(regPath), Branch}))
        return registry;
    QFile file(regPath);
    if (!file.open(QIODevice::ReadOnly))
        return registry;
    const QByteArray bytes = file.readAll().mid(2);
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    const QRegularExpression sectionLine(QStringLiteral("^\\[(.*)\\]$"));
    const QRegularExpression valueLine(
        QStringLiteral("^\"((?:[^\"\\\\]|\\\\.)*)\"=\"((?:[^\"\\\\]|\\\\.)*)\"$"));
    auto unescape = [](QString s) {
        return s.replace(QRegularExpression(QStringLiteral("\\\\(.)")), QStringLiteral("\\1"));
    };
    QString section;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (const auto m = sectionLine.match(line); m.hasMatch())
            section = m.captured(1).mid(Branch.size() + 1);
        else if (const auto v = valueLine.match(line); v.hasMatch())
            registry[section][unescape(v.captured(1))] = unescape(v.captured(2));
    }
    return registry;
}

// jeerkit.exe under wine64, on a store placed in the registry beforehand.
struct WineProgram {
    QTemporaryDir work;
    SettingsStore store{work.filePath(QStringLiteral("seed.ini"))};
    QProcess process;

    ~WineProgram() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }

    // Empty when the program shows its window of that size; otherwise what went wrong.
    QString start(int size) {
        writeSessionStore(store, size);
        if (!store.flush().ok ||
            !importStore(store.path(), work.filePath(QStringLiteral("seed.reg"))))
            return QStringLiteral("the store could not be put into the registry");
        process.start(Wine, {Program});
        if (!process.waitForStarted(10000))
            return QStringLiteral("wine64 did not start");
        if (waitForWindow(titleOf(size)) == 0)
            return QStringLiteral("jeerkit.exe showed no window: ") +
                   QString::fromLocal8Bit(process.readAllStandardError().right(2000));
        QThread::msleep(300);
        return {};
    }
    // The main window's title goes on with the set's name: titles are matched by their start.
    std::uint64_t waitForWindow(const QString& title, bool exact = false) {
        std::uint64_t found = 0;
        waitUntil(
            [&] {
                return (found = viewableWindowOf(process.processId(), title.toStdString(), exact));
            },
            60s);
        return found;
    }
    // The one window shown once `previous` has gone.
    std::uint64_t waitForSwitch(std::uint64_t previous) {
        std::uint64_t found = 0;
        waitUntil(
            [&] {
                const auto shown = viewableWindowsOf(process.processId());
                found = shown.size() == 1 && shown[0] != previous ? shown[0] : 0;
                return found != 0;
            },
            60s);
        return found;
    }
    void click(std::uint64_t window, Point p) {
        movePointer(window, p.x, p.y);
        QThread::msleep(30); // the program sees the pointer arrive before the press
        clickHere();
    }
    // Closes the window as its frame's close button does; true when the program then ended.
    bool closeAndWait(std::uint64_t window) {
        closeWindow(window);
        return process.waitForFinished(60000) && process.exitCode() == 0;
    }
    Registry registry() { return exportStore(work.filePath(QStringLiteral("saved.reg"))); }
};

bool above(XDisplayProbe& probe, std::uint64_t window) {
    const auto states = probe.netWmState(window);
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE") != states.end();
}

} // namespace

class TestWineProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyWindowTypesTheTable_data();
    void everyWindowTypesTheTable();
    void gameClasses_data();
    void gameClasses();
    void alwaysOnTopThroughSwitching();
};

void TestWineProgram::initTestCase() {
    if (Program.isEmpty() || !QFile::exists(Program))
        QSKIP("jeerkit.exe was not built (the Windows Qt cache is missing and could not be "
              "built; see tools/windows-qt.sh): the Windows tests are skipped");
    if (const std::string why = wineUnavailableReason(); !why.empty())
        QSKIP(why.c_str());
}

void TestWineProgram::everyWindowTypesTheTable_data() {
    addWindowSizes();
}

void TestWineProgram::everyWindowTypesTheTable() {
    QFETCH(int, size);
    PeerProcess game(UO, UO, {}, PeerKind::Wine);
    QVERIFY2(game.started(), game.error().c_str());
    WineProgram program;
    const QString problem = program.start(size);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const std::uint64_t window = program.waitForWindow(titleOf(size));

    // The game records "<Background>" before any key that arrives while it is not in front.
    const QList<TableLine> lines = lineTable();
    for (int e = 0; e < lines.size(); ++e) {
        const std::size_t from = game.recordSize();
        program.click(window, button(size, e));
        const std::string got = game.waitForText(from, lines[e].received.toStdString(), 20s);
        QVERIFY2(QString::fromStdString(got) == lines[e].received,
                 qPrintable(QStringLiteral("%1: got \"%2\"").arg(lines[e].name, got.c_str())));
    }

    const std::size_t from = game.recordSize();
    program.click(window, curseButton(size));
    const QString curse = QString::fromStdString(game.waitForText(from, "!\n", 20s));
    QVERIFY2(QRegularExpression("^Thou [a-z]+ [a-z]+-[a-z]+ [a-z-]+!\n$").match(curse).hasMatch(),
             qPrintable(curse));

    // Closing saves every set into the registry branch, the window size with them.
    QVERIFY(program.closeAndWait(window));
    const Registry saved = program.registry();
    QCOMPARE(saved[layout::Settings][layout::WindowSize], QString::number(size));
    QCOMPARE(saved[layout::Settings][layout::var(1)], LineVars[0]);
    for (int e = 0; e < lines.size(); ++e)
        QVERIFY2(saved[layout::textSet(1)][layout::text(e)] == lines[e].text, lines[e].name);
    QCOMPARE(saved[layout::textSet(30)][layout::enter(23)], QStringLiteral("1"));
    QCOMPARE(saved[layout::textSet(30)][layout::style(23)], QStringLiteral(" 1"));
}

void TestWineProgram::gameClasses_data() {
    QTest::addColumn<QStringList>("classes");
    QTest::addColumn<int>("receiver"); // index into classes; -1: nobody, the warning shows
    QTest::newRow("both classes") << QStringList{ThirdDawn, UO} << 1;
    QTest::newRow("Third Dawn only") << QStringList{ThirdDawn} << 0;
    QTest::newRow("no game") << QStringList{} << -1;
}

void TestWineProgram::gameClasses() {
    QFETCH(QStringList, classes);
    QFETCH(int, receiver);
    std::vector<std::unique_ptr<PeerProcess>> games;
    for (const QString& c : classes) {
        games.push_back(std::make_unique<PeerProcess>(c.toStdString(), "Ultima Online",
                                                      std::vector<std::string>{}, PeerKind::Wine));
        QVERIFY2(games.back()->started(), games.back()->error().c_str());
    }
    WineProgram program;
    const QString problem = program.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const std::uint64_t window = program.waitForWindow(titleOf(1));

    program.click(window, button(1, 1));
    if (receiver >= 0) {
        QCOMPARE(games[std::size_t(receiver)]->waitForText(0, "\n", 20s), std::string(": bows\n"));
    } else {
        // "No instance of UO found." in a box titled "Jeerkit"; OK closes it.
        const std::uint64_t box = program.waitForWindow(QStringLiteral("Jeerkit"), true);
        QVERIFY(box != 0);
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(waitUntil(
            [&] { return viewableWindowOf(program.process.processId(), "Jeerkit", true) == 0; }));
    }
    for (std::size_t g = 0; g < games.size(); ++g) {
        if (int(g) != receiver)
            QCOMPARE(games[g]->record(), std::string());
    }
    QVERIFY(program.closeAndWait(window));
}

void TestWineProgram::alwaysOnTopThroughSwitching() {
    XDisplayProbe probe;
    WineProgram program;
    const QString problem = program.start(1);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const std::uint64_t main = program.waitForWindow(titleOf(1));
    // The box itself, at the left end of the control.
    const controls::Rect box = controls::rect(controls::mainWindow(), "CheckAlwaysOnTop");
    const Point checkBox{(box.left + box.height / 2) / controls::TwipsPerPixel,
                         centre(1, "CheckAlwaysOnTop").y};
    for (bool on : {true, false, true}) {
        program.click(main, checkBox);
        QVERIFY2(waitUntil([&] { return above(probe, main) == on; }), on ? "on" : "off");
    }

    // "Display small window", then "Display tiny window": each keeps the choice.
    program.click(main, centre(1, "Command3"));
    const std::uint64_t small = program.waitForSwitch(main);
    QVERIFY(small != 0);
    QVERIFY(waitUntil([&] { return above(probe, small); }));
    program.click(small, centre(2, "Command3"));
    const std::uint64_t tiny = program.waitForSwitch(small);
    QVERIFY(tiny != 0);
    QVERIFY(waitUntil([&] { return above(probe, tiny); }));

    QVERIFY(program.closeAndWait(tiny));
    const Registry saved = program.registry();
    QCOMPARE(saved[layout::Settings][layout::AlwaysOnTop], QStringLiteral("True"));
    QCOMPARE(saved[layout::Settings][layout::WindowSize], QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(TestWineProgram)
#include "tst_wine_program.moc"
