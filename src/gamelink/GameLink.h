#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace jk {

struct PhraseBook;
class RandomSource;
namespace platform {
class Platform;
}

// Texts of the warnings the game link shows.
namespace gamelink_text {
inline const QString NoGame = QStringLiteral("No instance of UO found.");
inline const QString NotFronted =
    QStringLiteral("The game window could not be brought to the front, so nothing was typed.");
} // namespace gamelink_text

// Phrase and curse delivery: find the game window, bring it to the front, pause 100 ms while
// the program's windows stay live, then type the line.
class GameLink : public QObject {
    Q_OBJECT
public:
    // warn shows a modal warning box titled "Jeerkit" and returns when it is closed.
    using Warn = std::function<void(const QString& text)>;

    GameLink(PhraseBook& book, platform::Platform& platform, RandomSource& random, Warn warn,
             QObject* parent = nullptr);

    static QStringList entryClasses();
    static QStringList curseClasses();

    void SendEntry(qint16 entry);
    void SendCurse();
    void DeliverLine(const QString& line, const QStringList& classes);
    void PauseBriefly();
    void ReportNoGame();

    QTimer Timer1;

private:
    void Timer1_Timer();

    PhraseBook& book_;
    platform::Platform& platform_;
    RandomSource& random_;
    Warn warn_;
    QTimer idle_; // gives the keyboard back a while after the last line
};

} // namespace jk
