#include "TypingBench.h"

#include "Harness.h"
#include "Session.h"
#include "StoreBench.h"
#include "gamelink/KeyString.h"
#include "gamelink/TypeLine.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <functional>

namespace jk::bench {

namespace {

struct Line {
    QString name;
    QString keyString; // what Jeerkit types
    QString text;      // what the game must receive (Enter as a newline)
};

QString asciiText(int length, int seed) {
    static const QString alphabet = QStringLiteral(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?'\"-_/*=<>@#$&|");
    QString out;
    unsigned state = unsigned(seed) * 2654435761u + 1;
    for (int i = 0; i < length; ++i) {
        state = state * 1103515245u + 12345u;
        out += alphabet[int((state >> 16) % unsigned(alphabet.size()))];
    }
    return out;
}

std::vector<Line> lines() {
    const QString line76 = asciiText(76, 1);
    const QString line1000 = asciiText(1000, 2);
    QString mixed = asciiText(1000, 3);
    const QString offMap = QString::fromUtf8("é€ßñüΩ日🙂");
    const QList<uint> codePoints = offMap.toUcs4();
    QString withOffMap;
    for (int i = 0, k = 0; i < mixed.size(); ++i) {
        if (i % 125 == 60 && k < codePoints.size())
            withOffMap += QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoints[k++]), 1);
        else
            withOffMap += mixed[i];
    }
    return {
        {QStringLiteral("76 characters + Enter"), line76 + QStringLiteral("{ENTER}"),
         line76 + u'\n'},
        {QStringLiteral("1,000 ASCII characters"), line1000, line1000},
        {QStringLiteral("1,000 characters, 8 off the keymap"), withOffMap, withOffMap},
    };
}

// Waits until the record holds `expected` past `from`; returns whether it arrived exactly.
bool arrived(const e2e::PeerProcess& game, std::size_t from, const QByteArray& expected,
             QElapsedTimer& timer, double& ms) {
    while (timer.elapsed() < 15000) {
        const std::string record = game.record();
        if (record.size() >= from + std::size_t(expected.size())) {
            ms = double(timer.nsecsElapsed()) / 1e6;
            return record.compare(from, std::string::npos, expected.constData(),
                                  std::size_t(expected.size())) == 0;
        }
        QThread::usleep(200);
    }
    ms = double(timer.nsecsElapsed()) / 1e6;
    return false;
}

bool focusGame(platform::Platform& desktop, const e2e::PeerProcess& game) {
    desktop.activate(game.window());
    for (int i = 0; i < 200 && !desktop.hasFocus(game.window()); ++i)
        QThread::msleep(5);
    return desktop.hasFocus(game.window());
}

// The harness puts the stand-in game and the program under Wine while this is set.
struct UnderWine {
    explicit UnderWine(bool on) { qputenv("JK_WINE", on ? "all" : ""); }
    ~UnderWine() { qunsetenv("JK_WINE"); }
    UnderWine(const UnderWine&) = delete;
    UnderWine& operator=(const UnderWine&) = delete;
};

// A Wine row where Wine cannot run says why.
bool skippedWithoutWine(Row& row) {
    if (e2e::wineUnavailableReason().empty())
        return false;
    row.note =
        QStringLiteral("skipped: %1").arg(QString::fromStdString(e2e::wineUnavailableReason()));
    return true;
}

QString correctness(int wrong, int runs) {
    return wrong == 0 ? QStringLiteral("exact %1/%1").arg(runs)
                      : QStringLiteral("%1 of %2 runs wrong").arg(wrong).arg(runs);
}

} // namespace

std::vector<Row> benchTyping(int repeats) {
    std::vector<Row> rows;
    e2e::PeerProcess game;
    auto desktop = platform::createPlatform();
    if (!game.started() || !desktop->unavailableReason().empty()) {
        rows.push_back({QStringLiteral("Typing"),
                        {},
                        {},
                        {},
                        {},
                        {},
                        QStringLiteral("skipped: no stand-in or no display")});
        return rows;
    }
    for (const Line& line : lines()) {
        const QByteArray expected = line.text.toUtf8();
        Row fast{QStringLiteral("Typing: ") + line.name,
                 QStringLiteral("ms"),
                 {},
                 QStringLiteral("xdotool type --delay 0"),
                 {},
                 QStringLiteral("exact; ≥ 10× faster"),
                 {}};
        Row slow{QStringLiteral("Typing: ") + line.name,
                 QStringLiteral("ms"),
                 {},
                 QStringLiteral("xdotool type (default delay)"),
                 {},
                 QStringLiteral("exact"),
                 {}};
        int wrong = 0, wrongFast = 0, wrongSlow = 0;
        const auto keys = ParseKeyString(line.keyString);
        for (int r = 0; r < repeats; ++r) {
            focusGame(*desktop, game);
            double ms = 0;
            std::size_t from = game.recordSize();
            QElapsedTimer timer;
            timer.start();
            jk::typeAll(*desktop, keys);
            wrong += arrived(game, from, expected, timer, ms) ? 0 : 1;
            fast.ours.values.push_back(ms);
            slow.ours.values.push_back(ms);

            for (const bool delayed : {false, true}) {
                if (delayed && r >= 3)
                    continue; // the default delay costs seconds a run; a few runs tell enough
                focusGame(*desktop, game);
                from = game.recordSize();
                QStringList args{QStringLiteral("type")};
                if (!delayed)
                    args << QStringLiteral("--delay") << QStringLiteral("0");
                // xdotool types a newline as Linefeed, which sends nothing in a game, and its
                // "type" takes every word after it: the closing Enter is a second run.
                const bool enter = line.text.endsWith(u'\n');
                args << QStringLiteral("--") << (enter ? line.text.chopped(1) : line.text);
                timer.restart();
                QProcess::execute(QStringLiteral("xdotool"), args);
                if (enter)
                    QProcess::execute(QStringLiteral("xdotool"),
                                      {QStringLiteral("key"), QStringLiteral("Return")});
                const bool ok = arrived(game, from, expected, timer, ms);
                (delayed ? slow : fast).anchor.values.push_back(ms);
                (delayed ? wrongSlow : wrongFast) += ok ? 0 : 1;
                // Whatever xdotool got wrong may still be arriving; let it settle.
                QThread::msleep(ok ? 0 : 300);
            }
        }
        const int slowRuns = std::min(repeats, 3);
        fast.note = QStringLiteral("Jeerkit %1; xdotool %2")
                        .arg(correctness(wrong, repeats), correctness(wrongFast, repeats));
        slow.note = QStringLiteral("xdotool %1").arg(correctness(wrongSlow, slowRuns));
        rows.push_back(fast);
        rows.push_back(slow);
    }
    desktop->releaseKeyboard();
    return rows;
}

namespace {

// One click on button " 1" of the main window, whose entry is a line of `length` characters with
// Enter in this style, sent to a game that reads its chat line once per frame of frameMs (0: a
// game that handles each key as it comes); with wine, jeerkit.exe and the Win32 stand-in game
// under Wine.
Row clickToLastKey(int repeats, int frameMs, int style, int length, bool wine) {
    const QString prefix = style == 1 ? QStringLiteral(": ") : QString();
    QString goal = QStringLiteral("exact");
    if (wine)
        goal = QStringLiteral("≤ 1.5 × native");
    else if (style == 1 && frameMs > 0)
        goal = QStringLiteral("≤ 160 ms");
    else if (style == 0 && length < 100)
        goal = QStringLiteral("≤ 115 ms (100 ms is the pause)");
    Row row{QStringLiteral("Click to last key, %1, %2 %3 characters + Enter%4")
                .arg(frameMs > 0 ? QStringLiteral("game in %1 ms frames").arg(frameMs)
                                 : QStringLiteral("game without frames"),
                     style == 1 ? QStringLiteral("Emote \": \" +") : QStringLiteral("plain"))
                .arg(length)
                .arg(wine ? QStringLiteral(", jeerkit.exe under Wine") : QString()),
            QStringLiteral("ms"),
            {},
            {},
            {},
            goal,
            {}};
    if (wine && skippedWithoutWine(row))
        return row;
    const UnderWine underWine(wine);
    QStringList options;
    if (frameMs > 0)
        options = {"--frame-ms", QString::number(frameMs)};
    e2e::PeerProcess game("Ultima Online", "Stand-in game", options);
    if (!game.started()) {
        row.note = QStringLiteral("skipped: no stand-in");
        return row;
    }
    // A store whose entry 1 is the line, and the main window placed clear of the game's window.
    e2e::ProgramProcess program;
    const QString text = asciiText(length, 7);
    if (!startWithEntry1(game, program, text, style)) {
        row.note = QStringLiteral("skipped: Jeerkit's window did not show");
        return row;
    }
    const QString said = style == 1 ? QStringLiteral("[emote]") : QStringLiteral("[say]");
    const QByteArray expected = ((frameMs > 0 ? said : prefix) + text + u'\n').toUtf8();
    int wrong = 0;
    for (int r = 0; r < repeats; ++r) {
        const QPoint button = e2e::clickPoint(controls::mainWindow(), "Command2", 0);
        e2e::movePointer(program.window(), button.x(), button.y());
        e2e::roundTrip(program.window()); // the pointer has arrived; only the click is timed
        const std::size_t from = game.recordSize();
        QElapsedTimer timer;
        timer.start();
        e2e::clickHere();
        double ms = 0;
        wrong += arrived(game, from, expected, timer, ms) ? 0 : 1;
        row.ours.values.push_back(ms);
        // The next click starts from the frame that took this line: a fixed gap would keep
        // every click at one place in the game's frame (measured: always just after a frame
        // began, one whole frame of wait). Spread over 25 ms, the clicks meet every phase.
        QThread::msleep(100 + (r * 7) % 25);
    }
    row.note = correctness(wrong, repeats);
    program.close();
    return row;
}

} // namespace

std::vector<Row> benchClickToLastKey(int repeats) {
    std::vector<Row> rows;
    for (const int frameMs : {0, 25}) {
        for (const int style : {0, 1})
            rows.push_back(clickToLastKey(repeats, frameMs, style, 76, false));
    }
    rows.push_back(clickToLastKey(repeats, 25, 0, 1000, false));
    // The same at 25 ms frames for the Windows build, side by side.
    const std::pair<int, int> wineRows[] = {{0, 76}, {1, 76}, {0, 1000}}; // style, length
    for (const auto& [style, length] : wineRows)
        rows.push_back(clickToLastKey(repeats, 25, style, length, true));
    return rows;
}

namespace {

// The player's Ctrl+Alt+1 while the game has the focus, to the line's last key; with wine,
// jeerkit.exe and the Win32 stand-in game under Wine (Wine's keys fire only there).
Row hotkeyToLastKey(int repeats, bool wine) {
    Row row{QStringLiteral("Hotkey to last key, game focused, plain 76 characters + Enter%1")
                .arg(wine ? QStringLiteral(", jeerkit.exe under Wine") : QString()),
            QStringLiteral("ms"),
            {},
            {},
            {},
            wine ? QStringLiteral("≤ 1.5 × native") : QStringLiteral("≤ 15 ms"),
            {}};
    if (wine && skippedWithoutWine(row))
        return row;
    const UnderWine underWine(wine);
    e2e::PeerProcess game;
    e2e::ProgramProcess program;
    const QString text = asciiText(76, 7);
    program.store().write(QStringLiteral("Settings"), QStringLiteral("Hotkey-Send1"),
                          QStringLiteral("Ctrl+Alt+1"));
    if (!game.started() || !startWithEntry1(game, program, text)) {
        row.note = QStringLiteral("skipped: no stand-in or Jeerkit's window did not show");
        return row;
    }
    auto desktop = platform::createPlatform();
    const QByteArray expected = (text + u'\n').toUtf8();
    const std::uint64_t gameWindow = game.xWindow();
    int wrong = 0;
    for (int r = 0; r < repeats; ++r) {
        desktop->activate(gameWindow);
        for (int i = 0; i < 200 && !desktop->hasFocus(gameWindow); ++i)
            QThread::msleep(5);
        if (!desktop->hasFocus(gameWindow)) {
            ++wrong;
            continue;
        }
        e2e::fakeKey("Control_L", true), e2e::fakeKey("Alt_L", true);
        const std::size_t from = game.recordSize();
        QElapsedTimer timer;
        timer.start();
        // The player's press and the release of all three keys right after it.
        e2e::fakeKey("1", true), e2e::fakeKey("1", false);
        e2e::fakeKey("Alt_L", false), e2e::fakeKey("Control_L", false);
        double ms = 0;
        wrong += arrived(game, from, expected, timer, ms) && desktop->hasFocus(gameWindow) ? 0 : 1;
        row.ours.values.push_back(ms);
        QThread::msleep(100);
    }
    row.note = correctness(wrong, repeats) + QStringLiteral(", the focus kept");
    program.close();
    return row;
}

} // namespace

std::vector<Row> benchHotkeyToLastKey(int repeats) {
    return {hotkeyToLastKey(repeats, false), hotkeyToLastKey(repeats, true)};
}

} // namespace jk::bench
