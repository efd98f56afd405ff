#pragma once

#include "gamelink/platform/Platform.h"

#include <map>
#include <string>
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
    bool type(const std::vector<platform::KeyAction>& keys) override {
        calls.push_back({"type", focused});
        typed.push_back(keys);
        return true;
    }
    void setTopMost(platform::WindowId w, bool on) override {
        calls.push_back({"topmost", w});
        topMost[w] = on;
    }
    void releaseKeyboard() override { calls.push_back({"release", 0}); }

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
