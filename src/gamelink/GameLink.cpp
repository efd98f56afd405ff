#include "gamelink/GameLink.h"

#include "curse/ComposeCurseLine.h"
#include "gamelink/ComposeEntryLine.h"
#include "gamelink/KeyString.h"
#include "gamelink/TypeLine.h"
#include "gamelink/platform/Log.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLoggingCategory>

#include <algorithm>
#include <map>

namespace jk {

// Below warnings, off unless asked for: QT_LOGGING_RULES="jk.*=true".
Q_LOGGING_CATEGORY(lcGameLink, "jk.gamelink", QtWarningMsg)
Q_LOGGING_CATEGORY(lcX11, "jk.x11", QtWarningMsg)

namespace {

constexpr int PauseMs = 100;
// Spare keys bound for characters off the keyboard layout are given back after this long
// without a send; rebinding them for every line would cost the game client a keymap reload.
constexpr int KeyboardIdleMs = 5000;
// Keys sent just before the game lost the focus may reach the program's windows a moment
// after the line: they are dropped for this long.
constexpr int ShieldMs = 200;
// How long the game may take to get the keyboard after the pause, and how often to look.
constexpr int FocusWaitMs = 1000;
constexpr int FocusPollMs = 10;
// How long a hotkey's keys may stay down before its line is dropped, and how often to look.
constexpr int ReleaseWaitMs = 1000;
constexpr int ReleasePollMs = 3;

// The key and modifiers that a key of a line presses, numbered as hotkeys are.
platform::Hotkey strokeOf(const platform::KeyAction& k) {
    using platform::NamedKey;
    std::uint32_t key = k.character;
    if ((key >= 'a' && key <= 'z') || (key >= 0xE0 && key <= 0xFE && key != 0xF7))
        key -= 0x20; // a letter's key is its capital
    if (k.key >= NamedKey::F1 && k.key <= NamedKey::F16)
        key = 0x01000030 + unsigned(k.key) - unsigned(NamedKey::F1);
    else if (k.key != NamedKey::None) {
        static const std::map<NamedKey, std::uint32_t> named = {
            {NamedKey::Escape, 0x01000000},     {NamedKey::Tab, 0x01000001},
            {NamedKey::Backspace, 0x01000003},  {NamedKey::Enter, 0x01000004},
            {NamedKey::Insert, 0x01000006},     {NamedKey::Delete, 0x01000007},
            {NamedKey::Break, 0x01000008},      {NamedKey::PrintScreen, 0x01000009},
            {NamedKey::Home, 0x01000010},       {NamedKey::End, 0x01000011},
            {NamedKey::Left, 0x01000012},       {NamedKey::Up, 0x01000013},
            {NamedKey::Right, 0x01000014},      {NamedKey::Down, 0x01000015},
            {NamedKey::PageUp, 0x01000016},     {NamedKey::PageDown, 0x01000017},
            {NamedKey::CapsLock, 0x01000024},   {NamedKey::NumLock, 0x01000025},
            {NamedKey::ScrollLock, 0x01000026}, {NamedKey::Help, 0x01000058}};
        const auto found = named.find(k.key);
        key = found == named.end() ? 0 : found->second;
    }
    // The bits of Shift, Control and Alt are the same in both.
    return {unsigned(k.modifiers), key};
}

// Waits up to ms with the program's events handled meanwhile.
void waitLive(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

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
    shield_.setSingleShot(true);
    shield_.setInterval(ShieldMs);
    connect(&shield_, &QTimer::timeout, this, [this] { shieldOwnWindows(false); });
}

QStringList GameLink::entryClasses() const {
    return QStringList{QStringLiteral("Ultima Online"),
                       QStringLiteral("Ultima Online Third Dawn")} +
           book_.GameWindowClasses;
}

QStringList GameLink::curseClasses() const {
    return QStringList{QStringLiteral("Ultima Online")} + book_.GameWindowClasses;
}

std::optional<std::pair<QString, int>> GameLink::entryLine(qint16 entry) const {
    if (!book_.hasCurrentSet() || !PhraseBook::isEntryIndex(entry))
        return std::nullopt;
    const int s = book_.CurrentTextSet;
    const qint16 style = book_.EntryStyle[s][entry];
    const QString line =
        ComposeEntryLine(style, book_.EntryEnter[s][entry], book_.EntryLong[s][entry], book_.Vars);
    // ": ", "! " and "; " switch the chat mode.
    const bool switchesMode = style == Emote || style == Yell || style == Whisper;
    return std::pair{line, switchesMode ? 2 : 0};
}

void GameLink::SendEntry(qint16 entry) {
    if (const auto line = entryLine(entry))
        DeliverLine(line->first, entryClasses(), line->second);
}

void GameLink::SendEntryByKey(qint16 entry, const platform::Hotkey& hotkey) {
    if (const auto line = entryLine(entry))
        DeliverByKey(line->first, entryClasses(), line->second, hotkey);
}

void GameLink::SendCurseByKey(const platform::Hotkey& hotkey) {
    DeliverByKey(ComposeCurseLine(book_.Prefix, random_), curseClasses(), 0, hotkey);
}

void GameLink::DeliverByKey(const QString& line, const QStringList& classes, int modeKeys,
                            const platform::Hotkey& hotkey) {
    if (stopping_)
        return;
    // Sent on, it would type the same keys again, and fire again, without end.
    if (pressedByOwnLine(hotkey)) {
        qCInfo(lcGameLink, "A hotkey pressed by the line's own keys was ignored");
        return;
    }
    if (typing_) {
        waiting_.push_back({line, classes, modeKeys, hotkey});
        return;
    }
    const platform::WindowId active =
        platform_.unavailableReason().empty() ? platform_.activeWindow() : 0;
    const bool gameHasFocus =
        active != 0 && (classes.contains(QString::fromStdString(platform_.windowClass(active))) ||
                        platform_.findWindow(toStd(classes)) == active);
    if (!gameHasFocus) {
        DeliverLine(line, classes, modeKeys, hotkey);
        return;
    }
    if (!keysReleased(hotkey))
        return;
    typeInto(active, ParseKeyString(line), modeKeys);
    deliverWaiting();
}

bool GameLink::keysReleased(const platform::Hotkey& hotkey) {
    // A key typed while Control or Alt is down reaches the game as a command, not as text;
    // and on X11 the hotkey's own key keeps the keyboard grabbed until it is let go of.
    QElapsedTimer waited;
    waited.start();
    while (platform_.keysStillDown(hotkey) != 0) {
        if (stopping_)
            return false;
        if (waited.elapsed() >= ReleaseWaitMs) {
            qCInfo(lcGameLink, "Not sent, the hotkey's keys (0x%x) were still down",
                   platform_.keysStillDown(hotkey));
            warn_(gamelink_text::KeysHeld);
            return false;
        }
        waitLive(ReleasePollMs);
    }
    return !stopping_;
}

void GameLink::SendCurse() {
    DeliverLine(ComposeCurseLine(book_.Prefix, random_), curseClasses());
}

void GameLink::DeliverLine(const QString& line, const QStringList& classes, int modeKeys,
                           std::optional<platform::Hotkey> hotkey) {
    if (stopping_)
        return;
    if (typing_) {
        // Typed after the line under way: two lines mixed would make no sense to the game.
        waiting_.push_back({line, classes, modeKeys, hotkey});
        return;
    }
    QElapsedTimer since; // the stages' times, for a report of a slow line
    since.start();
    const std::string unavailable = platform_.unavailableReason();
    if (!unavailable.empty()) {
        qCInfo(lcGameLink).noquote()
            << "Not sent, the desktop cannot be reached:" << QString::fromStdString(unavailable);
        warn_(QString::fromStdString(unavailable));
        return;
    }
    platform::WindowId game = platform_.findWindow(toStd(classes));
    if (game == 0) {
        qCInfo(lcGameLink) << "Not sent, no game window of class" << classes;
        game = linkGame(classes);
        if (game == 0)
            return;
    }
    qCDebug(lcGameLink, "Window 0x%llx found in %lld ms", static_cast<unsigned long long>(game),
            static_cast<long long>(since.elapsed()));
    platform_.activate(game);
    qCDebug(lcGameLink, "Asked to the front at %lld ms", static_cast<long long>(since.elapsed()));
    PauseBriefly();
    QCoreApplication::processEvents();
    if (stopping_)
        return;

    // Typing into whatever else holds the focus would put chat text, with Enter, into a
    // terminal or into this program: only type when the game has the keyboard.
    if (!focusArrives(game)) {
        qCInfo(lcGameLink, "Not sent, window 0x%llx did not take the keyboard focus",
               static_cast<unsigned long long>(game));
        warn_(gamelink_text::NotFronted);
        return;
    }
    qCDebug(lcGameLink, "The focus is the game's at %lld ms",
            static_cast<long long>(since.elapsed()));
    if (hotkey && !keysReleased(*hotkey))
        return;
    typeInto(game, ParseKeyString(line), modeKeys);
    qCDebug(lcGameLink, "Line ended at %lld ms", static_cast<long long>(since.elapsed()));
    deliverWaiting();
}

void GameLink::deliverWaiting() {
    while (!waiting_.empty() && !stopping_ && !typing_) {
        const Waiting next = waiting_.front();
        waiting_.erase(waiting_.begin());
        DeliverLine(next.line, next.classes, next.modeKeys, next.hotkey);
    }
}

void GameLink::typeInto(platform::WindowId game, std::vector<platform::KeyAction> keys,
                        int modeKeys) {
    using End = platform::TypingResult::End;
    const std::size_t total = keys.size();
    if (modeKeys > 0 && keys.size() > std::size_t(modeKeys))
        keys.insert(keys.begin() + modeKeys,
                    platform::KeyAction::named(platform::NamedKey::GameReads));
    // A plain character (Shift at most) is never a hotkey: only the rest is kept.
    ownStrokes_.clear();
    for (const platform::KeyAction& k : keys) {
        const platform::Hotkey stroke = strokeOf(k);
        const bool combined = (k.modifiers & (platform::Control | platform::Alt)) != 0;
        if (stroke.key != 0 && (combined || k.key != platform::NamedKey::None))
            ownStrokes_.push_back(stroke);
    }
    typing_ = true;
    idle_.stop(); // the spare keys stay bound through the line
    shield_.stop();
    shieldOwnWindows(true);
    const platform::TypingResult result = typeLine(platform_, game, keys, [this] {
        // The windows repaint, and a close or a signal is acted on, while the line goes out.
        QCoreApplication::processEvents();
        return !stopping_;
    });
    typing_ = false;
    shield_.start();
    idle_.start();
    switch (result.end) {
    case End::Whole:
        qCDebug(lcGameLink, "Typed %zu keys into window 0x%llx", total,
                static_cast<unsigned long long>(game));
        break;
    case End::Stopped:
        qCInfo(lcGameLink, "Typing stopped after %zu of %zu keys", result.keysTyped, total);
        break;
    case End::FocusLost:
        qCInfo(lcGameLink, "The game lost the focus after %zu of %zu keys", result.keysTyped,
               total);
        warn_(result.keysTyped == 0 ? gamelink_text::NotFronted
                                    : gamelink_text::FocusLost.arg(result.keysTyped).arg(total));
        break;
    case End::Failed: {
        const std::string reason =
            result.problem.empty() ? platform_.unavailableReason() : result.problem;
        qCWarning(lcGameLink, "Typing %zu keys into window 0x%llx failed%s%s", total,
                  static_cast<unsigned long long>(game), reason.empty() ? "" : ": ",
                  reason.c_str());
        warn_(reason.empty() ? QStringLiteral("The line could not be typed into the game.")
                             : QString::fromStdString(reason));
        break;
    }
    }
}

bool GameLink::focusArrives(platform::WindowId game) {
    // Activation goes through the window manager and the game: on a busy desktop it can take
    // longer than the pause, and a line refused for that alone would be lost.
    QElapsedTimer waited;
    waited.start();
    while (!platform_.hasFocus(game)) {
        if (stopping_ || waited.elapsed() >= FocusWaitMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(FocusPollMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !stopping_;
}

bool GameLink::pressedByOwnLine(const platform::Hotkey& hotkey) const {
    // The desktop may report the press a moment after the line: as long as the shield holds.
    return (typing_ || shield_.isActive()) &&
           std::find(ownStrokes_.begin(), ownStrokes_.end(), hotkey) != ownStrokes_.end();
}

void GameLink::Stop() {
    stopping_ = true;
    waiting_.clear();
    Timer1.stop();
}

void GameLink::shieldOwnWindows(bool on) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    if (on)
        app->installEventFilter(this);
    else
        app->removeEventFilter(this);
}

bool GameLink::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Keys of the line, typed where the game was until a moment ago: never into a phrase.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease ||
         type == QEvent::ShortcutOverride) &&
        event->spontaneous() && (typing_ || shield_.isActive()))
        return true;
    return QObject::eventFilter(watched, event);
}

quint64 GameLink::linkGame(const QStringList& classes) {
    if (!pick_) {
        ReportNoGame();
        return 0;
    }
    const QString picked = pick_(gamelink_text::NoGame);
    if (picked.isEmpty())
        return 0;
    if (!book_.GameWindowClasses.contains(picked)) {
        book_.GameWindowClasses.append(picked);
        emit gameWindowClassesChanged();
    }
    const platform::WindowId game = platform_.findWindow(toStd(classes + QStringList{picked}));
    if (game == 0)
        ReportNoGame(); // the picked window is gone already, or cannot be typed into
    return game;
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
