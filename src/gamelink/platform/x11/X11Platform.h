#pragma once

// The X11 desktop backend. No X11 headers here.

#include "gamelink/platform/Platform.h"

#include <memory>

namespace jk::platform::x11 {

class X11Platform final : public Platform {
public:
    X11Platform();
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    std::string unavailableReason() override;
    WindowId findWindow(const std::vector<std::string>& classes) override;
    void activate(WindowId window) override;
    bool hasFocus(WindowId window) override;
    WindowId activeWindow() override;
    std::string windowClass(WindowId window) override;
    std::unique_ptr<KeySession> beginLine(WindowId target,
                                          const std::vector<KeyAction>& keys) override;
    void setTopMost(WindowId window, bool onTop) override;
    void clearTitle(WindowId window) override;
    void releaseKeyboard() override;
    PickResult pickWindow(const TypingIdle& idle) override;
    std::string hotkeysUnavailableReason() override;
    std::string grabHotkey(int id, const Hotkey& key) override;
    void releaseHotkey(int id) override;
    int hotkeyEventSource() override;
    std::vector<int> pressedHotkeys() override;
    unsigned keysStillDown(const Hotkey& key) override;

    // Search the window tree even where the window manager keeps a client list, as with window
    // managers that do not: lets tests cover that search under any window manager.
    void searchTreeOnly(bool treeOnly);

    struct State;

private:
    std::unique_ptr<State> d_;
};

} // namespace jk::platform::x11
