#include "gamelink/platform/x11/X11KeySession.h"

#include "gamelink/platform/x11/Keysyms.h"
#include "gamelink/platform/x11/X11ClientBarrier.h"
#include "gamelink/platform/x11/X11Keyboard.h"
#include "gamelink/platform/x11/X11WindowControl.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>

namespace jk::platform::x11 {

namespace {

using std::chrono::milliseconds;

// The longest frame of a client that reads its input once per frame.
constexpr milliseconds MaxFrame{50};
// How long a client that answers pings may take over a slice before it counts as one that
// does not (the rest of the line then goes without pings).
constexpr milliseconds SliceAnswer{1000};
// Key events sent before the client is waited for, where nothing else asks for it.
constexpr std::size_t ConfirmEvery = 2000;

// How long the focused client may take to handle a chunk's keys before its spare keys are
// bound anew, and how long to wait where it cannot tell.
milliseconds answerTimeout(std::size_t events) {
    return std::min(milliseconds(1000 + long(events) / 10), milliseconds(5000));
}

milliseconds blindPause(std::size_t events) {
    return std::min(milliseconds(100 + long(events) / 20), milliseconds(1000));
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
        return;
    }
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += char(((0xF0U << (3 - extra)) & 0xFFU) | (c >> (6 * extra)));
    for (int i = extra - 1; i >= 0; --i)
        out += char(0x80U | ((c >> (6 * i)) & 0x3FU));
}

// The characters the keysyms type, for the player; keysyms of no character are left out.
std::string charactersOf(const std::vector<Keysym>& keysyms) {
    std::string characters;
    for (const Keysym keysym : keysyms) {
        if (const char32_t c = characterForKeysym(keysym); c != 0)
            appendUtf8(characters.append(characters.empty() ? "" : " "), c);
    }
    return characters;
}

} // namespace

X11KeySession::X11KeySession(X11Keyboard& keyboard, Window target)
    : keyboard_(keyboard)
    , connection_(keyboard.connection_)
    , target_(target) {}

std::unique_ptr<X11KeySession> X11KeySession::begin(X11Keyboard& keyboard, Window target,
                                                    const std::vector<KeyAction>& keys) {
    std::unique_ptr<X11KeySession> session(new X11KeySession(keyboard, target));
    // Wine names a program's windows after its .exe.
    session->wine_ = keyboard.focusedClientIsWine();
    const std::size_t limit = session->wine_ ? SpareKeys::WineSpareKeys : SpareKeys::AllSpareKeys;
    if (limit != keyboard.spareLimit_) {
        keyboard.release(); // bindings on keys past the new limit would stay in use
        keyboard.spareLimit_ = limit;
        keyboard.stale_ = true;
    }
    const std::optional<XkbStateRec> state = keyboard.syncLayout();
    if (!state)
        return nullptr;
    std::vector<Keysym> unplaced;
    session->chunks_ = planTyping(keys, keyboard.layout_, keyboard.spares_, &unplaced);
    // Typed without them, the game would get another line than the player's: none of it goes.
    if (!unplaced.empty())
        session->problem_ = "This keyboard has no free key to type characters that are not on "
                            "its layout, so the line was not typed: " +
                            charactersOf(unplaced) +
                            ". Put them on the layout, or send the line without them.";
    for (std::size_t c = 0; c < session->chunks_.size(); ++c) {
        const std::vector<std::size_t>& ends = session->chunks_[c].keyEnds;
        for (std::size_t k = 0; k < ends.size(); ++k)
            session->places_.push_back({c, ends[k], k + 1 == ends.size()});
    }
    // Caps Lock would turn typed letters into capitals: lifted for the line.
    session->capsLocked_ = (state->locked_mods & LockMask) != 0;
    session->capsToggledOdd_ =
        std::count(keys.begin(), keys.end(), KeyAction::named(NamedKey::CapsLock)) % 2 != 0;
    if (session->capsLocked_)
        XkbLockModifiers(keyboard.connection_.display(), XkbUseCoreKbd, LockMask, 0);
    return session;
}

X11KeySession::~X11KeySession() {
    if (!ended_)
        end(false);
}

void X11KeySession::sendEvents(const TypingChunk& chunk, std::size_t endEvent) {
    Display* display = connection_.display();
    for (; nextEvent_ < endEvent; ++nextEvent_) {
        // Xlib crashes on requests after the connection broke.
        if (connection_.lost())
            return;
        const KeyEvent& event = chunk.events[nextEvent_];
        XTestFakeKeyEvent(display, event.keycode, event.press ? True : False, CurrentTime);
        down_.set(event.keycode, event.press);
        ++unconfirmed_;
        anySent_ = true;
    }
}

std::optional<std::size_t> X11KeySession::send(std::size_t from, std::size_t to) {
    if (!problem_.empty())
        return std::nullopt;
    for (std::size_t k = from; k < to && k < places_.size(); ++k) {
        const Place& place = places_[k];
        if (place.chunk != chunk_ || !bound_) {
            const TypingChunk& next = chunks_[place.chunk];
            if (!next.bindings.empty()) {
                // A client reads a keycode with the keymap of the moment it handles the key:
                // keys still waiting in its queue must not be bound anew under them.
                if (unconfirmed_ > 0) {
                    rebindWaits_ = true;
                    return k - from;
                }
                // A Wine program follows keymap changes only once it has handled a key.
                if (wine_ && !anySent_)
                    keyboard_.wakeKeymapFollowing();
                if (!keyboard_.applyBindings(next.bindings)) {
                    // Never type a key whose binding the server refused: it types something
                    // else.
                    refused(next.bindings);
                    return std::nullopt;
                }
            }
            if (place.chunk != chunk_)
                nextEvent_ = 0;
            chunk_ = place.chunk;
            bound_ = true;
        }
        const TypingChunk& chunk = chunks_[chunk_];
        // The last key of a chunk takes the chunk's closing releases along.
        sendEvents(chunk, place.lastOfChunk ? chunk.events.size() : place.eventEnd);
        if (place.lastOfChunk)
            lastChunkEvents_ = chunk.events.size();
        if (connection_.lost())
            return std::nullopt;
    }
    XFlush(connection_.display());
    return std::min(to, places_.size()) - from;
}

void X11KeySession::refused(const std::vector<Binding>& bindings) {
    std::vector<Keysym> keysyms;
    for (const Binding& b : bindings)
        keysyms.push_back(b.keysym);
    const std::string characters = charactersOf(keysyms);
    problem_ = "This X server refused the keys for characters that are not on the keyboard "
               "layout, so the line was not typed on: " +
               characters + ". Put them on the layout, or send the line without them.";
    keyboard_.spares_.forgetBindings();
}

WaitEnd X11KeySession::outcome(bool stopped, bool keymapChanged) {
    keyboard_.stale_ = keyboard_.stale_ || keymapChanged;
    if (connection_.lost())
        return WaitEnd::Failed;
    return stopped ? WaitEnd::Stopped : WaitEnd::Done;
}

WaitEnd X11KeySession::settle(const TypingIdle& idle) {
    if (connection_.lost())
        return WaitEnd::Failed;
    XSync(connection_.display(), False);
    BarrierOutcome waited;
    if (rebindWaits_) {
        // Without an answer from the client, only time tells that it has read its keys.
        waited = waitForFocusedClient(connection_, answerTimeout(lastChunkEvents_),
                                      blindPause(lastChunkEvents_), idle);
        rebindWaits_ = false;
        unconfirmed_ = 0;
    } else if (pingsAnswered_ && unconfirmed_ >= ConfirmEvery) {
        // Keeps what waits in the client's queue short; a wait at every slice would cost a
        // game that reads its input once per frame a frame each time.
        waited = waitForFocusedClient(connection_, SliceAnswer, milliseconds(0), idle);
        pingsAnswered_ = waited.answered;
        if (waited.answered)
            unconfirmed_ = 0;
    }
    return outcome(waited.stopped, waited.keymapChanged);
}

WaitEnd X11KeySession::finishRound(const TypingIdle& idle) {
    if (connection_.lost())
        return WaitEnd::Failed;
    const BarrierOutcome waited = waitForClientRound(connection_, MaxFrame, idle);
    unconfirmed_ = 0;
    rebindWaits_ = false;
    return outcome(waited.stopped, waited.keymapChanged);
}

bool X11KeySession::targetHasFocus() {
    if (connection_.lost())
        return false;
    return target_ == None || windowHasFocus(connection_, target_);
}

bool X11KeySession::end(bool whole) {
    ended_ = true;
    Display* display = connection_.display();
    for (std::size_t k = 0; k < down_.size() && !connection_.lost(); ++k) {
        if (down_.test(k))
            XTestFakeKeyEvent(display, unsigned(k), False, CurrentTime);
    }
    // The plan holds bindings of chunks never typed, which the server never saw: from here on
    // only letting go of every spare key leaves the keymap as it was.
    if (!whole && !connection_.lost())
        keyboard_.unbindSpareKeys();
    if (capsLocked_ && !connection_.lost()) {
        // A line that toggles Caps Lock an odd number of times leaves it off.
        XkbLockModifiers(display, XkbUseCoreKbd, LockMask, capsToggledOdd_ ? 0 : LockMask);
    }
    if (!connection_.lost())
        XSync(display, False);
    return !connection_.lost();
}

} // namespace jk::platform::x11
