#include "gamelink/platform/Log.h"
#include "gamelink/platform/Platform.h"
#include "gamelink/platform/win32/Win32Hotkeys.h"
#include "gamelink/platform/win32/Win32KeyInput.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <utility>

namespace jk::platform {

namespace win32 {

namespace {

HWND toHandle(WindowId window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

WindowId toId(HWND handle) {
    return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(handle));
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The program's windows stay live during every wait: their events are handled this often.
constexpr milliseconds IdleEvery{10};
// The longest wait for a game to handle what it was sent, and the longest frame of a game that
// reads its input once per frame.
constexpr milliseconds AnswerTimeout{2000};
constexpr milliseconds MaxFrame{50};
// A thread that has not taken a message sent to it this long is outside its message loop: a
// loop handling a few keys takes well under a millisecond over each.
constexpr milliseconds LateAnswer{4};
// A thread that takes every message at once for this long has no frames to wait for.
constexpr milliseconds AlwaysAnswering{15};

// One line into one window: SendInput in slices, each confirmed by a message sent to the
// window's thread, which that thread takes only from inside its message loop.
class Win32KeySession final : public KeySession {
public:
    Win32KeySession(HWND target, const std::vector<KeyAction>& keys,
                    std::set<KeyInputs::Stroke> hotkeys)
        : target_(target)
        , receiver_(target != nullptr ? target : GetForegroundWindow())
        , keys_(keys)
        , inputs_(GetKeyboardLayout(GetWindowThreadProcessId(receiver_, nullptr)),
                  std::move(hotkeys)) {}

    std::optional<std::size_t> send(std::size_t from, std::size_t to) override {
        to = std::min(to, keys_.size());
        for (std::size_t k = from; k < to; ++k)
            inputs_.add(keys_[k]);
        if (!sendAll(inputs_.take()))
            return std::nullopt;
        return to - from;
    }

    // Windows hands queued input to whichever window has the focus when it is read: only keys
    // the game's thread has taken are sure to be the game's, so every slice waits for that.
    WaitEnd settle(const TypingIdle& idle) override { return answered(AnswerTimeout, idle).end; }

    WaitEnd finishRound(const TypingIdle& idle) override {
        // The first answer comes from the round that takes the keys in; a message that then
        // waits shows that round has ended.
        const Answer first = answered(AnswerTimeout, idle);
        if (first.end != WaitEnd::Done || !first.taken)
            return first.end;
        const auto start = Clock::now();
        while (Clock::now() - start < MaxFrame) {
            if (!taken(LateAnswer) || Clock::now() - start >= AlwaysAnswering)
                break;
            if (idle && !idle())
                return WaitEnd::Stopped;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        return WaitEnd::Done;
    }

    bool targetHasFocus() override {
        if (target_ == nullptr)
            return true;
        const HWND foreground = GetForegroundWindow();
        return foreground == target_ || IsChild(target_, foreground);
    }

    bool end(bool whole) override {
        (void)whole;
        return sendAll(inputs_.finish());
    }

private:
    struct Answer {
        WaitEnd end = WaitEnd::Done;
        bool taken = false;
    };

    static bool sendAll(std::vector<INPUT> inputs) {
        if (inputs.empty())
            return true;
        const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        return sent == inputs.size();
    }

    // Whether the window's thread took a WM_NULL within the time.
    bool taken(milliseconds timeout) const {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(receiver_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                   static_cast<UINT>(timeout.count()), &ignored) != 0;
    }

    // Waits for the window's thread to take a WM_NULL, in short tries so that the program's
    // windows stay live meanwhile; a window that is gone or hung ends the wait.
    Answer answered(milliseconds timeout, const TypingIdle& idle) const {
        if (receiver_ == nullptr)
            return {};
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (taken(IdleEvery))
                return {WaitEnd::Done, true};
            if (!IsWindow(receiver_) || IsHungAppWindow(receiver_) || Clock::now() >= deadline)
                return {};
            if (idle && !idle())
                return {WaitEnd::Stopped, false};
        }
    }

    HWND target_;
    HWND receiver_;
    std::vector<KeyAction> keys_;
    KeyInputs inputs_;
};

// The first left press and Escape, seen by low-level hooks of this thread while it exists.
class PickWatch {
public:
    PickWatch()
        : mouse_(SetWindowsHookExW(WH_MOUSE_LL, &PickWatch::onMouse, GetModuleHandleW(nullptr), 0))
        , keys_(
              SetWindowsHookExW(WH_KEYBOARD_LL, &PickWatch::onKey, GetModuleHandleW(nullptr), 0)) {
        active_ = this;
    }
    ~PickWatch() {
        active_ = nullptr;
        if (mouse_ != nullptr)
            UnhookWindowsHookEx(mouse_);
        if (keys_ != nullptr)
            UnhookWindowsHookEx(keys_);
    }
    PickWatch(const PickWatch&) = delete;
    PickWatch& operator=(const PickWatch&) = delete;

    bool hooked() const { return mouse_ != nullptr && keys_ != nullptr; }
    std::optional<POINT> click() const { return click_; }
    bool released() const { return released_; }
    bool escape() const { return escape_; }

private:
    static LRESULT CALLBACK onMouse(int code, WPARAM message, LPARAM data) {
        PickWatch* self = active_;
        if (code == HC_ACTION && self != nullptr) {
            if (message == WM_LBUTTONDOWN && !self->click_) {
                self->click_ = reinterpret_cast<const MSLLHOOKSTRUCT*>(data)->pt;
                return 1; // taken: the window never sees it
            }
            if (message == WM_LBUTTONUP && self->click_ && !self->released_) {
                self->released_ = true;
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, message, data);
    }
    static LRESULT CALLBACK onKey(int code, WPARAM message, LPARAM data) {
        if (code == HC_ACTION && active_ != nullptr && message == WM_KEYDOWN &&
            reinterpret_cast<const KBDLLHOOKSTRUCT*>(data)->vkCode == VK_ESCAPE)
            active_->escape_ = true;
        return CallNextHookEx(nullptr, code, message, data);
    }

    static inline thread_local PickWatch* active_ = nullptr;
    HHOOK mouse_;
    HHOOK keys_;
    std::optional<POINT> click_;
    bool released_ = false;
    bool escape_ = false;
};

bool ownWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

class Win32Platform final : public Platform {
public:
    std::string unavailableReason() override { return {}; }

    WindowId findWindow(const std::vector<std::string>& classes) override {
        for (const std::string& c : classes) {
            // The program's own windows are never the game: typing into them does nothing.
            for (HWND found = FindWindowExA(nullptr, nullptr, c.c_str(), nullptr); found;
                 found = FindWindowExA(nullptr, found, c.c_str(), nullptr)) {
                if (!ownWindow(found))
                    return toId(found);
                log(LogLevel::Warning, "Window class \"" + c +
                                           "\" skipped on one of Jeerkit's own windows: they are "
                                           "never the game.");
            }
        }
        return 0;
    }

    void activate(WindowId window) override {
        const HWND game = toHandle(window);
        if (IsIconic(game))
            ShowWindow(game, SW_RESTORE);
        // Windows hands the foreground only to the process that had the last input; the click
        // on our button usually makes that us. If it is refused all the same, the documented
        // ways round it follow; the focus check before typing catches what still fails.
        if (!front(game))
            frontAttached(game);
        if (GetForegroundWindow() != game) {
            tapAlt(); // a key of our own counts as the last input
            front(game);
        }
    }

    bool hasFocus(WindowId window) override {
        const HWND foreground = GetForegroundWindow();
        const HWND handle = toHandle(window);
        return window != 0 && (foreground == handle || IsChild(handle, foreground));
    }

    WindowId activeWindow() override { return toId(GetForegroundWindow()); }

    std::string windowClass(WindowId window) override {
        wchar_t name[257] = {};
        const int length = GetClassNameW(toHandle(window), name, 257);
        if (window == 0 || length <= 0)
            return {};
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, name, length, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, name, length, utf8.data(), bytes, nullptr, nullptr);
        return utf8;
    }

    std::unique_ptr<KeySession> beginLine(WindowId target,
                                          const std::vector<KeyAction>& keys) override {
        return std::make_unique<Win32KeySession>(target != 0 ? toHandle(target) : nullptr, keys,
                                                 hotkeys_.strokes());
    }

    void setTopMost(WindowId window, bool onTop) override {
        SetWindowPos(toHandle(window), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    void clearTitle(WindowId window) override { SetWindowTextW(toHandle(window), L""); }

    void releaseKeyboard() override {}

    std::string hotkeysUnavailableReason() override { return {}; }
    std::string grabHotkey(int id, const Hotkey& key) override { return hotkeys_.grab(id, key); }
    void releaseHotkey(int id) override { hotkeys_.release(id); }
    std::vector<int> pressedHotkeys() override { return hotkeys_.pressed(); }
    unsigned keysStillDown(const Hotkey& key) override { return Win32Hotkeys::stillDown(key); }

    // The first press after the call picks. Low-level hooks see every press, however short
    // (polling the button's state misses a quick click), and keep the click from the window:
    // it would bring that window to the front over the box that asks about it.
    PickResult pickWindow(const TypingIdle& idle) override {
        PickWatch watch;
        if (!watch.hooked())
            return PickResult::ended(PickResult::End::Failed);
        ULONGLONG pressedAt = 0;
        for (;;) {
            // The hooks are called while this thread takes its messages.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
            if (watch.escape())
                return PickResult::ended(PickResult::End::Cancelled);
            if (const std::optional<POINT> at = watch.click()) {
                // Its release is kept from the window too, unless the button stays down.
                if (pressedAt == 0)
                    pressedAt = GetTickCount64();
                if (watch.released() || GetTickCount64() - pressedAt > 1000)
                    return describe(GetAncestor(WindowFromPoint(*at), GA_ROOT));
            }
            if (idle && !idle())
                return PickResult::ended(PickResult::End::Stopped);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

private:
    PickResult describe(HWND window) {
        PickResult result = PickResult::ended(PickResult::End::Refused);
        result.window = toId(window);
        result.windowClass = windowClass(result.window);
        wchar_t title[512] = {};
        const int length = window ? GetWindowTextW(window, title, 512) : 0;
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, title, length, nullptr, 0, nullptr, nullptr);
        result.title.resize(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
        WideCharToMultiByte(CP_UTF8, 0, title, length, result.title.data(), bytes, nullptr,
                            nullptr);
        const std::string& c = result.windowClass;
        if (window == nullptr || window == GetShellWindow() || c == "Progman" || c == "WorkerW")
            result.refusal = "the desktop";
        else if (c == "Shell_TrayWnd" || c == "Shell_SecondaryTrayWnd")
            result.refusal = "a dock or panel";
        else if (ownWindow(window))
            result.refusal = "one of Jeerkit's own windows";
        else if (c.empty())
            result.refusal = "a window without a class name";
        else
            result.end = PickResult::End::Picked;
        return result;
    }

    Win32Hotkeys hotkeys_;
    static bool front(HWND game) {
        SetForegroundWindow(game);
        SetFocus(game);
        return GetForegroundWindow() == game;
    }

    // With this thread's input joined to the foreground window's and the game's, the three
    // share one focus, and SetForegroundWindow and SetFocus act across them.
    static void frontAttached(HWND game) {
        const DWORD self = GetCurrentThreadId();
        const DWORD current = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const DWORD target = GetWindowThreadProcessId(game, nullptr);
        const bool withCurrent =
            current != 0 && current != self && AttachThreadInput(self, current, TRUE);
        const bool withTarget = target != 0 && target != self && target != current &&
                                AttachThreadInput(self, target, TRUE);
        BringWindowToTop(game);
        front(game);
        if (withTarget)
            AttachThreadInput(self, target, FALSE);
        if (withCurrent)
            AttachThreadInput(self, current, FALSE);
    }

    static void tapAlt() {
        INPUT alt[2] = {};
        for (INPUT& in : alt) {
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = VK_MENU;
        }
        alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, alt, sizeof(INPUT));
    }
};

} // namespace

} // namespace win32

std::string windowSystemProblem() {
    return {};
}

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<win32::Win32Platform>();
}

} // namespace jk::platform
