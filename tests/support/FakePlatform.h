#pragma once

#include "gamelink/platform/Platform.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace jk::test {

// A desktop without a screen: windows are names in a table, typing is recorded.
class FakePlatform final : public platform::Platform {
public:
    struct Call {
        std::string what; // "find", "activate", "type", "topmost", "release"
        platform::WindowId window = 0;
    };

    std::string unavailable;                           // non-empty: no desktop
    std::map<std::string, platform::WindowId> windows; // class -> window
    bool frontingWorks = true;                         // whether activate() gives focus
    platform::WindowId focused = 0;
    std::vector<std::vector<platform::KeyAction>> typed;
    std::map<platform::WindowId, bool> topMost;
    std::vector<Call> calls;

    std::string unavailableReason() override { return unavailable; }
    platform::WindowId findWindow(const std::vector<std::string>& classes) override {
        calls.push_back({"find", 0});
        for (const auto& c : classes)
            if (windows.count(c))
                return windows.at(c);
        return 0;
    }
    void activate(platform::WindowId w) override {
        calls.push_back({"activate", w});
        if (frontingWorks)
            focused = w;
    }
    bool hasFocus(platform::WindowId w) override { return w != 0 && focused == w; }
    platform::WindowId activeWindow() override { return focused; }
    std::string windowClass(platform::WindowId w) override {
        for (const auto& [name, window] : windows)
            if (window == w)
                return name;
        return {};
    }
    // What a line's session did, in order: "send N" (keys), "settle", "round", "focus", "end"
    // or "end early"; the focus moves away once focusLostAfter keys are typed.
    std::vector<std::string> steps;
    std::size_t focusLostAfter = SIZE_MAX;
    std::size_t keysSent = 0;

    std::unique_ptr<platform::KeySession>
    beginLine(platform::WindowId target, const std::vector<platform::KeyAction>& keys) override {
        calls.push_back({"type", focused});
        typed.emplace_back();
        return std::make_unique<Session>(*this, target, keys);
    }
    void setTopMost(platform::WindowId w, bool on) override {
        calls.push_back({"topmost", w});
        topMost[w] = on;
    }
    void releaseKeyboard() override { calls.push_back({"release", 0}); }

    // Global keys: those held by "another program" are refused; stillDown is what
    // keysStillDown answers in turn, its last answer from then on.
    std::map<int, platform::Hotkey> grabs;
    std::vector<platform::Hotkey> takenElsewhere;
    std::vector<unsigned> stillDown{0};
    std::size_t stillDownAsked = 0;
    std::vector<int> pressed;
    std::string hotkeysUnavailableReason() override { return unavailable; }
    std::string grabHotkey(int id, const platform::Hotkey& key) override {
        for (const auto& taken : takenElsewhere)
            if (taken == key)
                return "Another program already holds this key.";
        grabs[id] = key;
        return {};
    }
    void releaseHotkey(int id) override { grabs.erase(id); }
    std::vector<int> pressedHotkeys() override { return std::exchange(pressed, {}); }
    std::function<void()> duringSend; // what the desktop does while keys go out
    unsigned keysStillDown(const platform::Hotkey&) override {
        return stillDown.at(std::min(stillDownAsked++, stillDown.size() - 1));
    }

    class Session final : public platform::KeySession {
    public:
        Session(FakePlatform& desktop, platform::WindowId target,
                const std::vector<platform::KeyAction>& keys)
            : d_(desktop)
            , target_(target)
            , keys_(keys) {}
        std::optional<std::size_t> send(std::size_t from, std::size_t to) override {
            d_.steps.push_back("send " + std::to_string(to - from));
            for (std::size_t k = from; k < to; ++k) {
                if (keys_[k].key != platform::NamedKey::GameReads)
                    d_.typed.back().push_back(keys_[k]);
                if (++d_.keysSent == d_.focusLostAfter)
                    d_.focused = 0;
            }
            if (d_.duringSend)
                d_.duringSend();
            return to - from;
        }
        platform::WaitEnd settle(const platform::TypingIdle&) override { return step("settle"); }
        platform::WaitEnd finishRound(const platform::TypingIdle&) override {
            return step("round");
        }
        bool targetHasFocus() override {
            d_.steps.push_back("focus");
            return target_ == 0 || d_.focused == target_;
        }
        bool end(bool whole) override {
            d_.steps.push_back(whole ? "end" : "end early");
            return true;
        }

    private:
        platform::WaitEnd step(const char* name) {
            d_.steps.push_back(name);
            return platform::WaitEnd::Done;
        }
        FakePlatform& d_;
        platform::WindowId target_;
        std::vector<platform::KeyAction> keys_;
    };

    // The characters of the n-th typed line: Enter as a line break, other named keys as <key>.
    std::u32string typedText(std::size_t n) const {
        std::u32string out;
        for (const auto& k : typed.at(n))
            out += k.key == platform::NamedKey::Enter  ? std::u32string(U"\n")
                   : k.key != platform::NamedKey::None ? std::u32string(U"<key>")
                                                       : std::u32string(1, k.character);
        return out;
    }
};

} // namespace jk::test
