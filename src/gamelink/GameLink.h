#pragma once

#include "gamelink/platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace jk {

struct PhraseBook;
class RandomSource;

// Texts of the warnings the game link shows.
namespace gamelink_text {
inline const QString NoGame = QStringLiteral("No instance of UO found.");
inline const QString NotFronted =
    QStringLiteral("The game window could not be brought to the front, so nothing was typed.\n\n"
                   "Some desktops (Wayland ones above all) do not let a program bring another "
                   "window to the front. Click into the game and send with a hotkey there, or "
                   "use a desktop that allows it; the guide lists the ones known to work.");
// %1 keys of %2 were typed.
inline const QString FocusLost =
    QStringLiteral("The game window lost the keyboard focus, so typing stopped after %1 of %2 "
                   "keys.");
inline const QString KeysHeld =
    QStringLiteral("The hotkey's keys were still held down a second later, so nothing was typed: "
                   "let go of them sooner.");
} // namespace gamelink_text

// Phrase and curse delivery: find the game window, bring it to the front, pause 100 ms while
// the program's windows stay live, then type the line.
class GameLink : public QObject {
    Q_OBJECT
public:
    // warn shows a modal warning box titled "Jeerkit" and returns when it is closed.
    using Warn = std::function<void(const QString& text)>;
    // Shows the text like warn, with a way to link the game window instead: returns the class
    // of the window the player picked, or nothing.
    using PickGame = std::function<QString(const QString& text)>;

    GameLink(PhraseBook& book, platform::Platform& platform, RandomSource& random, Warn warn,
             QObject* parent = nullptr);

    // Where no game window is found, offer to link one (without, only warn).
    void setGamePicker(PickGame pick) { pick_ = std::move(pick); }

    void SendEntry(qint16 entry);
    void SendCurse();
    // modeKeys: how many keys at the start switch the game's chat mode; the game reads them
    // before the rest of the line follows.
    // hotkey: the line comes from that key, whose keys must be let go of before typing.
    void DeliverLine(const QString& line, const QStringList& classes, int modeKeys = 0,
                     std::optional<platform::Hotkey> hotkey = {});
    // The same sends from a hotkey, pressed in whatever window has the focus: a game window
    // that has it is typed into at once, without the pause.
    void SendEntryByKey(qint16 entry, const platform::Hotkey& hotkey);
    void SendCurseByKey(const platform::Hotkey& hotkey);
    void DeliverByKey(const QString& line, const QStringList& classes, int modeKeys,
                      const platform::Hotkey& hotkey);
    // The program is ending: a line being typed stops at once, and no line waiting for its pause
    // or behind another line is typed.
    void Stop();
    // The 100 ms pause before typing, the program's windows staying live meanwhile.
    void PauseBriefly();
    bool pausing() const { return Timer1.isActive(); }

signals:
    // The player linked another game window class (book.GameWindowClasses).
    void gameWindowClassesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Waiting {
        QString line;
        QStringList classes;
        int modeKeys;
        std::optional<platform::Hotkey> hotkey;
    };
    // The line of entry n of the current set and how many of its keys switch the chat mode.
    std::optional<std::pair<QString, int>> entryLine(qint16 entry) const;
    // Whether the hotkey's keys, Shift, Control, Alt and Super are all up, or get so within a
    // bounded wait; if not, the player is told.
    bool keysReleased(const platform::Hotkey& hotkey);
    void deliverWaiting();
    // Window classes tried in turn: the built-in ones, then the player's own.
    QStringList entryClasses() const;
    QStringList curseClasses() const;
    // No window of the classes: the player may link one; its window, or 0.
    quint64 linkGame(const QStringList& classes);
    void ReportNoGame();
    // Whether the game holds the keyboard focus, or gets it within a bounded wait.
    bool focusArrives(platform::WindowId game);
    void Timer1_Timer();
    void typeInto(platform::WindowId game, std::vector<platform::KeyAction> keys, int modeKeys);
    void shieldOwnWindows(bool on);
    // A hotkey the line under way (or just ended) pressed itself, with "^%1" say.
    bool pressedByOwnLine(const platform::Hotkey& hotkey) const;

    PhraseBook& book_;
    platform::Platform& platform_;
    RandomSource& random_;
    Warn warn_;
    PickGame pick_;
    QTimer Timer1;  // the pause before typing
    QTimer idle_;   // gives the keyboard back a while after the last line
    QTimer shield_; // keeps keys sent to the game out of the program's windows a little longer
    bool typing_ = false;
    bool stopping_ = false;
    std::vector<Waiting> waiting_;             // lines clicked while another was being typed
    std::vector<platform::Hotkey> ownStrokes_; // of the line under way or just ended
};

} // namespace jk
