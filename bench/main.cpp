// Prints Jeerkit's performance figures as one table. Run it under a throw-away X server:
// tools/dev bench does.
#include "BenchTable.h"
#include "PauseBench.h"
#include "ProcessBench.h"
#include "StoreBench.h"
#include "TypingBench.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<jk::bench::Row> rows;
    const auto add = [&rows](std::vector<jk::bench::Row> more) {
        rows.insert(rows.end(), more.begin(), more.end());
    };
    add(jk::bench::benchStartupAndMemory(11));
    add(jk::bench::benchTyping(11));
    add(jk::bench::benchClickToLastKey(11));
    add(jk::bench::benchPause(21));
    add(jk::bench::benchStore(21));
    jk::bench::printTable(rows);
    return 0;
}
