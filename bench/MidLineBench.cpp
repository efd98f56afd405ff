#include "MidLineBench.h"

#include "Harness.h"
#include "Session.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>

namespace jk::bench {

namespace {

QString longLine(bool offLayout) {
    QString text;
    for (int i = 0; text.size() < 100000; ++i) {
        text += QStringLiteral("line %1 of a long speech, ").arg(i);
        // 313 distinct characters off a US keymap: more than it has spare keys.
        const int k = i % 313;
        if (offLayout)
            text += QChar(k < 57 ? 0x391 + k : 0x400 + k - 57);
    }
    text.truncate(100000);
    return text;
}

// The game, parked clear of Jeerkit, and Jeerkit with the line as entry 1; the line's typing
// has begun when this returns true.
bool startLine(e2e::PeerProcess& game, e2e::ProgramProcess& program, const QString& text) {
    if (!game.started())
        return false;
    if (!startWithEntry1(game, program, text))
        return false;
    const std::size_t from = game.recordSize();
    const QPoint button = e2e::clickPoint(controls::mainWindow(), "Command2", 0);
    program.clickClient(program.window(), button.x(), button.y());
    QElapsedTimer waited;
    waited.start();
    while (game.recordSize() < from + 2000 && waited.elapsed() < 20000)
        QThread::usleep(500);
    return game.recordSize() >= from + 2000;
}

// From the moment another window has the focus to the last key of the line reaching any
// window; notes how many characters reached the other window.
void focusChange(Row& row, std::size_t& strayMax) {
    e2e::PeerProcess game;
    e2e::ProgramProcess program;
    if (!startLine(game, program, longLine(false)))
        return;
    e2e::PeerProcess other("Terminal", "Terminal");
    program.activate(other.window());
    QElapsedTimer timer;
    timer.start();
    while (!program.hasFocus(other.window()) && timer.elapsed() < 5000) {
    }
    const qint64 focused = timer.nsecsElapsed();
    qint64 lastGrowth = focused;
    std::size_t seen = game.recordSize() + other.recordSize();
    // Done once neither record has grown for half a second.
    while (timer.nsecsElapsed() - lastGrowth < 500'000'000LL) {
        const std::size_t now = game.recordSize() + other.recordSize();
        if (now != seen) {
            seen = now;
            lastGrowth = timer.nsecsElapsed();
        }
        QThread::usleep(100);
    }
    row.ours.values.push_back(double(lastGrowth - focused) / 1e6);
    strayMax = std::max(strayMax, other.recordSize());
    program.signal(SIGTERM);
    program.waitForExit();
}

// From the SIGTERM to the program's exit, mid-line.
void terminate(Row& row, bool offLayout, int& unclean) {
    e2e::PeerProcess game("Ultima Online", "Stand-in game",
                          offLayout ? QStringList{"--no-ping"} : QStringList());
    e2e::ProgramProcess program;
    if (!startLine(game, program, longLine(offLayout)))
        return;
    QElapsedTimer timer;
    timer.start();
    program.signal(SIGTERM);
    const int status = program.waitForExit(120000);
    row.ours.values.push_back(double(timer.nsecsElapsed()) / 1e6);
    unclean += status == 0 ? 0 : 1;
}

} // namespace

std::vector<Row> benchMidLine(int repeats) {
    Row stop{QStringLiteral("100,000-character line: another window takes the focus to the "
                            "line's last key"),
             QStringLiteral("ms"),
             {},
             {},
             {},
             QStringLiteral("a few ms"),
             {}};
    Row term{QStringLiteral("100,000-character line: SIGTERM to exit"),
             QStringLiteral("ms"),
             {},
             {},
             {},
             QStringLiteral("≤ 1000 ms"),
             {}};
    Row termSlow{QStringLiteral("100,000-character line, 313 characters off the keymap, game "
                                "without pings: SIGTERM to exit"),
                 QStringLiteral("ms"),
                 {},
                 {},
                 {},
                 QStringLiteral("≤ 1000 ms"),
                 {}};
    std::size_t stray = 0;
    int unclean = 0, uncleanSlow = 0;
    for (int r = 0; r < repeats; ++r) {
        focusChange(stop, stray);
        terminate(term, false, unclean);
        terminate(termSlow, true, uncleanSlow);
    }
    stop.note = QStringLiteral("at most %1 characters reached the other window").arg(stray);
    term.note = QStringLiteral("%1 of %2 exits unclean").arg(unclean).arg(repeats);
    termSlow.note = QStringLiteral("%1 of %2 exits unclean").arg(uncleanSlow).arg(repeats);
    return {stop, term, termSlow};
}

} // namespace jk::bench
