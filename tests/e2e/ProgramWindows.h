#pragma once

// Where a player clicks in the program's three windows, and a store that places them clear of
// the stand-in game; shared by the runs of the whole program on X11 and under Wine.

#include "LineTable.h"

#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "ui/ControlTable.h"

#include <QString>
#include <QTest>

namespace jk::e2e {

struct Point {
    int x, y;
};

// The middle of a control of the window of that size (1 main, 2 small, 3 tiny), in client
// pixels, where the windows' tables place it.
inline Point centre(int size, const char* name, int index = -1) {
    const controls::Rect r = controls::rect(controls::workingWindow(WindowSize(size)), name, index);
    return {(r.left + r.width / 2) / controls::TwipsPerPixel,
            (r.top + r.height / 2) / controls::TwipsPerPixel};
}

// The numbered button of an entry, and "Curse !".
inline Point button(int size, int entry) {
    return centre(size, "Command2", entry);
}

inline Point curseButton(int size) {
    return centre(size, "Command1");
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
