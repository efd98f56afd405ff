#include "ui/Hotkeys.h"

#include "gamelink/GameLink.h"
#include "phrasebook/SettingsStore.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

namespace jk {

Q_LOGGING_CATEGORY(lcHotkeys, "jk.hotkeys", QtWarningMsg)

namespace {
constexpr int PollMs = 5;

// A character, Shift or not, and Escape, Tab, Backspace and Enter are keys the lines type
// themselves: held as a hotkey, such a key would be taken from the game when a line types it,
// and fire the hotkey instead, again and again if that line types it too.
bool typedByLines(const platform::Hotkey& key) {
    using H = platform::Hotkey;
    return (key.modifiers & (H::WithControl | H::WithAlt | H::WithSuper)) == 0 &&
           key.key <= std::uint32_t(Qt::Key_Enter);
}
} // namespace

Hotkeys::Hotkeys(UiContext& ui, StepSet stepSet, QObject* parent)
    : QObject(parent)
    , ui_(ui)
    , stepSet_(std::move(stepSet)) {
    poll_.setInterval(PollMs);
    poll_.setTimerType(Qt::PreciseTimer);
    connect(&poll_, &QTimer::timeout, this, &Hotkeys::actOnPressed);
}

Hotkeys::~Hotkeys() {
    notifier_.reset();
    for (int a = 0; a < layout::HotkeyActions; ++a)
        if (!keys_[std::size_t(a)].isEmpty())
            ui_.platform.releaseHotkey(a);
}

QString Hotkeys::actionName(int action) {
    switch (action) {
    case layout::HotkeyCurse:
        return QStringLiteral("Curse !");
    case layout::HotkeyNextSet:
        return QStringLiteral("Next set");
    case layout::HotkeyPreviousSet:
        return QStringLiteral("Previous set");
    default:
        return QStringLiteral("Button %1").arg(action + 1);
    }
}

std::optional<platform::Hotkey> Hotkeys::toHotkey(const QKeySequence& key) {
    if (key.count() != 1)
        return std::nullopt;
    const QKeyCombination chord = key[0];
    const Qt::Key k = chord.key();
    // A modifier alone is no key, and the toolkit's "unknown" cannot be taken.
    if (k == Qt::Key_unknown || k == 0 || (k >= Qt::Key_Shift && k <= Qt::Key_ScrollLock) ||
        k == Qt::Key_Super_L || k == Qt::Key_Super_R || k == Qt::Key_AltGr)
        return std::nullopt;
    const Qt::KeyboardModifiers m = chord.keyboardModifiers();
    platform::Hotkey out;
    out.key = std::uint32_t(k);
    out.modifiers = (m & Qt::ShiftModifier ? platform::Hotkey::WithShift : 0U) |
                    (m & Qt::ControlModifier ? platform::Hotkey::WithControl : 0U) |
                    (m & Qt::AltModifier ? platform::Hotkey::WithAlt : 0U) |
                    (m & Qt::MetaModifier ? platform::Hotkey::WithSuper : 0U);
    return out;
}

std::optional<QKeySequence> Hotkeys::parse(const QString& stored) {
    if (stored.trimmed().isEmpty())
        return std::nullopt;
    const QKeySequence key = QKeySequence::fromString(stored, QKeySequence::PortableText);
    // Text the toolkit cannot read comes back as another text, or as no key at all.
    if (!toHotkey(key) || key.toString(QKeySequence::PortableText) != stored.trimmed()) {
        qCWarning(lcHotkeys).noquote() << "Hotkey value" << stored << "cannot be read; ignored.";
        return std::nullopt;
    }
    return key;
}

QString Hotkeys::unavailableReason() const {
    return QString::fromStdString(ui_.platform.hotkeysUnavailableReason());
}

std::string Hotkeys::grab(int action) {
    const std::optional<platform::Hotkey> key = toHotkey(keys_.at(std::size_t(action)));
    return key ? ui_.platform.grabHotkey(action, *key) : std::string("No such key.");
}

void Hotkeys::load() {
    for (int a = 0; a < layout::HotkeyActions; ++a) {
        const std::optional<QKeySequence> key =
            parse(ui_.store.read(layout::Settings, layout::hotkey(a), QString()));
        if (!key)
            continue;
        if (typedByLines(*toHotkey(*key))) {
            qCWarning(lcHotkeys).noquote() << "The hotkey" << text(*key) << "of" << actionName(a)
                                           << "is typed by the lines themselves; ignored.";
            notTaken_ << QStringLiteral("%1 of %2: the lines type this key themselves.")
                             .arg(text(*key), actionName(a));
            continue;
        }
        keys_[std::size_t(a)] = *key;
        if (const std::string why = grab(a); !why.empty()) {
            qCWarning(lcHotkeys).noquote() << "The hotkey" << text(*key) << "of" << actionName(a)
                                           << "is not taken:" << why.c_str();
            notTaken_ << QStringLiteral("%1 of %2: %3")
                             .arg(text(*key), actionName(a), QString::fromStdString(why));
            keys_[std::size_t(a)] = QKeySequence();
        }
    }
    watch();
}

QString Hotkeys::set(int action, const QKeySequence& key) {
    const auto at = std::size_t(action);
    const QKeySequence old = keys_.at(at);
    if (key == old)
        return {};
    if (!key.isEmpty()) {
        if (!toHotkey(key))
            return QStringLiteral("%1 is not a key that can be used.").arg(text(key));
        if (typedByLines(*toHotkey(key)))
            return QStringLiteral("%1 is typed by the lines themselves: add Ctrl, Alt or the "
                                  "Windows key.")
                .arg(text(key));
        for (int a = 0; a < layout::HotkeyActions; ++a)
            if (a != action && keys_[std::size_t(a)] == key)
                return QStringLiteral("%1 is already the key of %2.").arg(text(key), actionName(a));
        if (const QString why = unavailableReason(); !why.isEmpty())
            return why;
    }
    keys_[at] = key;
    if (key.isEmpty()) {
        ui_.platform.releaseHotkey(action);
    } else if (const std::string why = grab(action); !why.empty()) {
        keys_[at] = old;
        if (!old.isEmpty() && !suspended_)
            grab(action);
        return QStringLiteral("%1 cannot be used: %2").arg(text(key), QString::fromStdString(why));
    }
    if (suspended_ && !key.isEmpty())
        ui_.platform.releaseHotkey(action); // it was free; taken again when recording ends
    ui_.store.write(layout::Settings, layout::hotkey(action),
                    key.toString(QKeySequence::PortableText));
    ui_.keeper.flushSoon();
    watch();
    return {};
}

void Hotkeys::suspend(bool suspended) {
    if (suspended == suspended_)
        return;
    suspended_ = suspended;
    for (int a = 0; a < layout::HotkeyActions; ++a) {
        if (keys_[std::size_t(a)].isEmpty())
            continue;
        if (suspended)
            ui_.platform.releaseHotkey(a);
        else if (const std::string why = grab(a); !why.empty())
            qCWarning(lcHotkeys).noquote()
                << "The hotkey of" << actionName(a) << "is lost:" << why.c_str();
    }
    watch();
}

void Hotkeys::watch() {
    const int fd = ui_.platform.hotkeyEventSource();
    if (!notifier_ || notifier_->socket() != fd) {
        notifier_.reset();
        if (fd >= 0) {
            notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            connect(notifier_.get(), &QSocketNotifier::activated, this, &Hotkeys::actOnPressed);
        }
    }
    bool any = false;
    for (const QKeySequence& key : keys_)
        any = any || !key.isEmpty();
    if (fd < 0 && any && !suspended_)
        poll_.start();
    else
        poll_.stop();
    // Events read in with an answer the backend waited for wake no notifier: look now too.
    if (any)
        QTimer::singleShot(0, this, &Hotkeys::actOnPressed);
}

void Hotkeys::actOnPressed() {
    for (std::vector<int> pressed = ui_.platform.pressedHotkeys(); !pressed.empty();
         pressed = ui_.platform.pressedHotkeys()) {
        for (const int action : pressed) {
            if (action < 0 || action >= layout::HotkeyActions || suspended_)
                continue;
            const std::optional<platform::Hotkey> key = toHotkey(keys_[std::size_t(action)]);
            if (!key)
                continue;
            qCDebug(lcHotkeys).noquote() << "Hotkey of" << actionName(action);
            if (action == layout::HotkeyCurse)
                ui_.link.SendCurseByKey(*key);
            else if (action == layout::HotkeyNextSet || action == layout::HotkeyPreviousSet)
                stepSet_(action == layout::HotkeyNextSet ? 1 : -1);
            else
                ui_.link.SendEntryByKey(static_cast<qint16>(action), *key);
        }
    }
    // A connection that broke leaves the notifier on a dead socket.
    if (notifier_ && notifier_->socket() != ui_.platform.hotkeyEventSource())
        watch();
}

} // namespace jk
