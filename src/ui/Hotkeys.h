#pragma once

#include "gamelink/platform/Platform.h"
#include "phrasebook/SettingsLayout.h"

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace jk {

struct UiContext;

// The player's keys for the 24 buttons, "Curse !", next set and previous set: read from and
// written to the store, taken from the desktop, and acted on when pressed in any window.
class Hotkeys final : public QObject {
    Q_OBJECT
public:
    // step: +1 for the next set, -1 for the previous one, in the window the player works in.
    using StepSet = std::function<void(int step)>;

    Hotkeys(UiContext& ui, StepSet stepSet, QObject* parent = nullptr);
    ~Hotkeys() override; // lets go of every key

    // Takes every action's key from the store. A value that cannot be read, or a key another
    // program holds, is logged and left out; the program starts regardless.
    void load();
    // The keys load() could not take, a sentence each ("Ctrl+Alt+3 of Button 2: ...").
    QStringList notTaken() const { return notTaken_; }
    // Empty when the desktop has keys that work in every window; otherwise why not.
    QString unavailableReason() const;
    // The action's key; empty if none.
    QKeySequence key(int action) const { return keys_.at(std::size_t(action)); }
    // Gives the action this key (empty: none) and stores it. Empty on success; otherwise a
    // sentence saying why not, and the action keeps its key.
    QString set(int action, const QKeySequence& key);
    // While the player records a key, the program's own keys must reach the recorder.
    void suspend(bool suspended);

    static QString actionName(int action);
    static QString text(const QKeySequence& key) { return key.toString(QKeySequence::NativeText); }
    // One chord of a real key with its modifiers; nothing for anything else.
    static std::optional<platform::Hotkey> toHotkey(const QKeySequence& key);
    // The stored value's key: nothing for a missing or empty value, or one that cannot be read.
    static std::optional<QKeySequence> parse(const QString& stored);

    // Acts on the keys the desktop saw pressed.
    void actOnPressed();

private:
    void watch();
    std::string grab(int action);

    UiContext& ui_;
    StepSet stepSet_;
    std::array<QKeySequence, layout::HotkeyActions> keys_;
    bool suspended_ = false;
    QStringList notTaken_;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer poll_; // where the desktop gives nothing to wait on
};

} // namespace jk
