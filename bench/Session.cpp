#include "Session.h"

#include "phrasebook/SettingsStore.h"

#include <QProcess>

namespace jk::bench {

bool startWithEntry1(e2e::PeerProcess& game, e2e::ProgramProcess& program, const QString& text,
                     int style) {
    SettingsStore& store = program.store();
    store.write(QStringLiteral("TextSet1"), QStringLiteral("Text--0"), text);
    store.write(QStringLiteral("TextSet1"), QStringLiteral("Style-0"), QString::number(style));
    store.write(QStringLiteral("TextSet1"), QStringLiteral("Enter-0"), QStringLiteral("1"));
    store.write(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("10500"));
    store.write(QStringLiteral("Settings"), QStringLiteral("MainTop"), QStringLiteral("1500"));
    store.flush();
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("windowmove"), QStringLiteral("--sync"),
                       QString::number(game.window()), QStringLiteral("0"), QStringLiteral("650")});
    return program.start() && e2e::roundTrip(program.window());
}

} // namespace jk::bench
