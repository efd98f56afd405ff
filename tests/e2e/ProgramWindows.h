#pragma once

// Where a player clicks in the program's three windows, and a store that places them clear of
// the stand-in game; shared by the runs of the whole program on X11 and under Wine.

#include "LineTable.h"

#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"

#include <QString>
#include <QTest>

namespace jk::e2e {

struct Point {
    int x, y;
};

// Centres of the numbered buttons and "Curse !", in client pixels, per window size (1 main,
// 2 small, 3 tiny).
inline Point button(int size, int entry) {
    switch (size) {
    case 2:
        return entry < 12 ? Point{17, 146 + 24 * entry} : Point{93, 146 + 24 * (entry - 12)};
    case 3:
        return entry < 12 ? Point{157 + 22 * entry, 10} : Point{157 + 22 * (entry - 12), 30};
    default:
        return {17, 76 + 22 * entry};
    }
}

inline Point curseButton(int size) {
    return size == 2 ? Point{79, 34} : size == 3 ? Point{97, 20} : Point{49, 45};
}

inline QString titleOf(int size) {
    return size == 2   ? QStringLiteral("Jeerkit ")
           : size == 3 ? QStringLiteral("Jeerkit")
                       : QStringLiteral("Jeerkit 2.0");
}

inline void addWindowSizes() {
    QTest::addColumn<int>("size");
    QTest::newRow("main") << 1;
    QTest::newRow("small") << 2;
    QTest::newRow("tiny") << 3;
}

// The table's lines, the variables, the window size, and every window placed clear of the game.
inline void writeSessionStore(SettingsStore& store, int windowSize) {
    writeLineTable(store);
    store.write(layout::Settings, layout::WindowSize, QString::number(windowSize));
    for (const QString& key : {layout::MainLeft, layout::SmallLeft, layout::TinyLeft})
        store.write(layout::Settings, key, QStringLiteral("10500"));
    for (const QString& key : {layout::MainTop, layout::SmallTop, layout::TinyTop})
        store.write(layout::Settings, key, QStringLiteral("1500"));
}

} // namespace jk::e2e
