#pragma once

// One line typed through XTest: the X11 side of the line executor's steps.

#include "gamelink/platform/Platform.h"
#include "gamelink/platform/x11/TypingPlan.h"
#include "gamelink/platform/x11/X11Connection.h"

#include <bitset>
#include <string>
#include <vector>

namespace jk::platform::x11 {

class X11Keyboard;

class X11KeySession final : public KeySession {
public:
    // Plans the line on the keyboard's layout; nothing if the display cannot be used.
    static std::unique_ptr<X11KeySession> begin(X11Keyboard& keyboard, Window target,
                                                const std::vector<KeyAction>& keys);
    ~X11KeySession() override;
    X11KeySession(const X11KeySession&) = delete;
    X11KeySession& operator=(const X11KeySession&) = delete;

    std::optional<std::size_t> send(std::size_t from, std::size_t to) override;
    WaitEnd settle(const TypingIdle& idle) override;
    WaitEnd finishRound(const TypingIdle& idle) override;
    bool targetHasFocus() override;
    bool end(bool whole) override;
    std::string problem() const override { return problem_; }

private:
    struct Place {
        std::size_t chunk;
        std::size_t eventEnd;
        bool lastOfChunk;
    };

    X11KeySession(X11Keyboard& keyboard, Window target);
    void sendEvents(const TypingChunk& chunk, std::size_t endEvent);
    WaitEnd outcome(bool stopped, bool keymapChanged);
    void refused(const std::vector<Binding>& bindings);

    X11Keyboard& keyboard_;
    X11Connection& connection_;
    Window target_;
    bool wine_ = false;
    bool capsLocked_ = false;
    bool capsToggledOdd_ = false;
    std::vector<TypingChunk> chunks_;
    std::vector<Place> places_; // per key action
    std::size_t chunk_ = 0;     // the chunk being typed, its bindings in place once bound_
    bool bound_ = false;
    std::size_t nextEvent_ = 0; // in chunks_[chunk_]
    bool anySent_ = false;
    std::size_t unconfirmed_ = 0; // key events the client has not answered for
    std::size_t lastChunkEvents_ = 0; // events of the chunk whose keys a rebinding waits for
    bool rebindWaits_ = false;        // the next send binds keys the client may still use
    bool pingsAnswered_ = true;
    std::bitset<256> down_; // keys pressed and not yet released
    bool ended_ = false;
    std::string problem_;
};

} // namespace jk::platform::x11
