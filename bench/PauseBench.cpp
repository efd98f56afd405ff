#include "PauseBench.h"

#include "curse/RandomSource.h"
#include "gamelink/GameLink.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"

#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

namespace jk::bench {

namespace {

class NullDesktop final : public platform::Platform {
public:
    std::string unavailableReason() override { return {}; }
    platform::WindowId findWindow(const std::vector<std::string>&) override { return 1; }
    void activate(platform::WindowId) override {}
    bool hasFocus(platform::WindowId) override { return true; }
    platform::WindowId activeWindow() override { return 1; }
    std::string windowClass(platform::WindowId) override { return "Ultima Online"; }
    std::unique_ptr<platform::KeySession>
    beginLine(platform::WindowId, const std::vector<platform::KeyAction>&) override {
        return nullptr; // the pause is measured, not the typing
    }
    void setTopMost(platform::WindowId, bool) override {}
    void releaseKeyboard() override {}
};

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

} // namespace

std::vector<Row> benchPause(int repeats) {
    PhraseBook book;
    NullDesktop desktop;
    ClockSeededRandom random;
    GameLink link(book, desktop, random, [](const QString&) {});

    Row cpu{QStringLiteral("Pause: CPU time during one 100 ms pause"),
            QStringLiteral("ms"),
            {},
            {},
            {},
            QStringLiteral("< 5 ms"),
            {}};
    Row gap{QStringLiteral("Pause: longest gap between 5 ms timer ticks"),
            QStringLiteral("ms"),
            {},
            {},
            {},
            QStringLiteral("≤ 20 ms"),
            {}};
    Row wall{QStringLiteral("Pause: wall time of the pause"),
             QStringLiteral("ms"),
             {},
             {},
             {},
             QStringLiteral("100 ms"),
             {}};
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer clock;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(5);
        qint64 lastTick = 0;
        qint64 longest = 0;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastTick);
            lastTick = now;
        });
        clock.start();
        ticker.start();
        const double before = cpuMs();
        link.PauseBriefly();
        cpu.ours.values.push_back(cpuMs() - before);
        wall.ours.values.push_back(double(clock.nsecsElapsed()) / 1e6);
        gap.ours.values.push_back(double(std::max(longest, clock.nsecsElapsed() - lastTick)) / 1e6);
    }
    return {cpu, gap, wall};
}

} // namespace jk::bench
