#include "gamelink/GameLink.h"

#include "curse/ComposeCurseLine.h"
#include "gamelink/ComposeEntryLine.h"
#include "gamelink/KeyString.h"
#include "gamelink/platform/Log.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace jk {

// Below warnings, off unless asked for: QT_LOGGING_RULES="jk.*=true".
Q_LOGGING_CATEGORY(lcGameLink, "jk.gamelink", QtWarningMsg)
Q_LOGGING_CATEGORY(lcX11, "jk.x11", QtWarningMsg)

namespace {

constexpr int PauseMs = 100;
// Spare keys bound for characters off the keyboard layout are given back after this long
// without a send; rebinding them for every line would cost the game client a keymap reload.
constexpr int KeyboardIdleMs = 5000;

std::vector<std::string> toStd(const QStringList& classes) {
    std::vector<std::string> out;
    out.reserve(std::size_t(classes.size()));
    for (const QString& c : classes)
        out.push_back(c.toStdString());
    return out;
}

void logFromPlatform(platform::LogLevel level, const std::string& message) {
    if (level == platform::LogLevel::Warning)
        qCWarning(lcX11).noquote() << QString::fromStdString(message);
    else
        qCInfo(lcX11).noquote() << QString::fromStdString(message);
}

} // namespace

GameLink::GameLink(PhraseBook& book, platform::Platform& platform, RandomSource& random, Warn warn,
                   QObject* parent)
    : QObject(parent)
    , book_(book)
    , platform_(platform)
    , random_(random)
    , warn_(std::move(warn)) {
    platform::setLogSink(&logFromPlatform);
    Timer1.setInterval(PauseMs);
    Timer1.setSingleShot(true);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &GameLink::Timer1_Timer);
    idle_.setSingleShot(true);
    idle_.setInterval(KeyboardIdleMs);
    connect(&idle_, &QTimer::timeout, this, [this] { platform_.releaseKeyboard(); });
}

QStringList GameLink::entryClasses() {
    return {QStringLiteral("Ultima Online"), QStringLiteral("Ultima Online Third Dawn")};
}

QStringList GameLink::curseClasses() {
    return {QStringLiteral("Ultima Online")};
}

void GameLink::SendEntry(qint16 entry) {
    if (!book_.hasCurrentSet() || !PhraseBook::isEntryIndex(entry))
        return;
    const int s = book_.CurrentTextSet;
    const QString line = ComposeEntryLine(book_.EntryStyle[s][entry], book_.EntryEnter[s][entry],
                                          book_.EntryLong[s][entry], book_.Vars);
    DeliverLine(line, entryClasses());
}

void GameLink::SendCurse() {
    DeliverLine(ComposeCurseLine(book_.Prefix, random_), curseClasses());
}

void GameLink::DeliverLine(const QString& line, const QStringList& classes) {
    const std::string unavailable = platform_.unavailableReason();
    if (!unavailable.empty()) {
        qCInfo(lcGameLink).noquote()
            << "Not sent, the desktop cannot be reached:" << QString::fromStdString(unavailable);
        warn_(QString::fromStdString(unavailable));
        return;
    }
    const platform::WindowId game = platform_.findWindow(toStd(classes));
    if (game == 0) {
        qCInfo(lcGameLink) << "Not sent, no game window of class" << classes;
        ReportNoGame();
        return;
    }
    platform_.activate(game);
    PauseBriefly();
    QCoreApplication::processEvents();

    // Typing into whatever else holds the focus would put chat text, with Enter, into a
    // terminal or into this program: only type when the game has the keyboard.
    if (!platform_.hasFocus(game)) {
        qCInfo(lcGameLink, "Not sent, window 0x%llx did not take the keyboard focus",
               static_cast<unsigned long long>(game));
        warn_(gamelink_text::NotFronted);
        return;
    }
    if (!platform_.type(ParseKeyString(line))) {
        const std::string reason = platform_.unavailableReason();
        qCWarning(lcGameLink, "Typing %lld characters into window 0x%llx failed%s%s",
                  static_cast<long long>(line.size()), static_cast<unsigned long long>(game),
                  reason.empty() ? "" : ": ", reason.c_str());
        warn_(reason.empty() ? QStringLiteral("The line could not be typed into the game.")
                             : QString::fromStdString(reason));
    } else {
        qCDebug(lcGameLink, "Typed %lld characters into window 0x%llx",
                static_cast<long long>(line.size()), static_cast<unsigned long long>(game));
    }
    idle_.start();
}

void GameLink::PauseBriefly() {
    Timer1.start(PauseMs);
    // Sleep until the next event instead of spinning; a send started meanwhile re-arms the
    // same timer and finishes first.
    while (Timer1.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void GameLink::ReportNoGame() {
    warn_(gamelink_text::NoGame);
}

void GameLink::Timer1_Timer() {
    Timer1.stop();
}

} // namespace jk
