#include "ProcessBench.h"

#include "Harness.h"
#include "StoreBench.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

namespace jk::bench {

namespace {

struct Launch {
    double startMs = -1; // process start to main window viewable
    double peakKiB = -1; // VmHWM after start-up
};

double peakResidentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return -1;
}

Launch launch(const QString& program, const QString& titlePrefix, const QString& configHome) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Launch result;
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForStarted())
        return result;
    while (timer.elapsed() < 20000) {
        if (e2e::viewableWindowOf(process.processId(), titlePrefix.toStdString())) {
            result.startMs = double(timer.nsecsElapsed()) / 1e6;
            break;
        }
        QThread::usleep(500);
    }
    QThread::msleep(500); // let it settle before reading its peak
    result.peakKiB = peakResidentKiB(process.processId());
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000))
        process.kill();
    return result;
}

} // namespace

std::vector<Row> benchStartupAndMemory(int repeats) {
    const QString jeerkit = QStringLiteral(JEERKIT_EXE);
    const QString bare = QStringLiteral(BARE_WINDOW_EXE);
    const QString title = QStringLiteral("Jeerkit 2.0");
    Row emptyStart{QStringLiteral("Start-up to main window shown, empty store"),
                   QStringLiteral("ms"),
                   {},
                   QStringLiteral("bare Qt window, same widgets"),
                   {},
                   QStringLiteral("≤ 1.25 × anchor"),
                   {}};
    Row fullStart{QStringLiteral("Start-up to main window shown, full store"),
                  QStringLiteral("ms"),
                  {},
                  QStringLiteral("bare Qt window, same widgets"),
                  {},
                  QStringLiteral("≤ 1.25 × anchor"),
                  {}};
    Row memory{QStringLiteral("Peak resident memory after start-up, full store"),
               QStringLiteral("MiB"),
               {},
               QStringLiteral("bare Qt window, same widgets"),
               {},
               QStringLiteral("≤ 1.2 × anchor"),
               {}};
    for (int r = 0; r < repeats; ++r) {
        QTemporaryDir empty, full, anchor;
        QDir().mkpath(full.filePath(QStringLiteral("Jeerkit")));
        writeFullStore(full.filePath(QStringLiteral("Jeerkit/Jeerkit.ini")));

        const Launch a = launch(bare, QStringLiteral("Bare window"), anchor.path());
        const Launch e = launch(jeerkit, title, empty.path());
        const Launch f = launch(jeerkit, title, full.path());
        if (a.startMs >= 0) {
            emptyStart.anchor.values.push_back(a.startMs);
            fullStart.anchor.values.push_back(a.startMs);
            memory.anchor.values.push_back(a.peakKiB / 1024);
        }
        if (e.startMs >= 0)
            emptyStart.ours.values.push_back(e.startMs);
        if (f.startMs >= 0) {
            fullStart.ours.values.push_back(f.startMs);
            memory.ours.values.push_back(f.peakKiB / 1024);
        }
    }
    return {emptyStart, fullStart, memory};
}

} // namespace jk::bench
