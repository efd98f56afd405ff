// Prints Jeerkit's performance figures as one table. Run it under a throw-away X server:
// tools/dev bench does.
#include "BenchTable.h"
#include "MidLineBench.h"
#include "PauseBench.h"
#include "ProcessBench.h"
#include "StoreBench.h"
#include "TypingBench.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Optional arguments pick groups: startup typing click hotkey midline pause store (default:
    // all).
    const QStringList picked = QApplication::arguments().mid(1);
    const auto wanted = [&picked](const char* group) {
        return picked.isEmpty() || picked.contains(QLatin1String(group));
    };
    std::vector<jk::bench::Row> rows;
    const auto add = [&rows](std::vector<jk::bench::Row> more) {
        rows.insert(rows.end(), more.begin(), more.end());
    };
    if (wanted("startup"))
        add(jk::bench::benchStartupAndMemory(11));
    if (wanted("typing"))
        add(jk::bench::benchTyping(11));
    if (wanted("click"))
        add(jk::bench::benchClickToLastKey(11));
    if (wanted("hotkey"))
        add(jk::bench::benchHotkeyToLastKey(11));
    if (wanted("midline"))
        add(jk::bench::benchMidLine(5));
    if (wanted("pause"))
        add(jk::bench::benchPause(21));
    if (wanted("store"))
        add(jk::bench::benchStore(21));
    jk::bench::printTable(rows);
    return 0;
}
