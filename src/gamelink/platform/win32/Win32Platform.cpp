#include "gamelink/platform/Platform.h"
#include "gamelink/platform/win32/Win32KeyInput.h"

#include <cstdint>

namespace jk::platform {

namespace win32 {

namespace {

HWND toHandle(WindowId window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

WindowId toId(HWND handle) {
    return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(handle));
}

class Win32Platform final : public Platform {
public:
    std::string unavailableReason() override { return {}; }

    WindowId findWindow(const std::vector<std::string>& classes) override {
        for (const std::string& c : classes) {
            if (HWND found = FindWindowA(c.c_str(), nullptr))
                return toId(found);
        }
        return 0;
    }

    void activate(WindowId window) override {
        // Either may be refused (another program has the foreground, another thread owns the
        // window); the line is then typed wherever the focus is.
        SetForegroundWindow(toHandle(window));
        SetFocus(toHandle(window));
    }

    bool hasFocus(WindowId window) override {
        const HWND foreground = GetForegroundWindow();
        const HWND handle = toHandle(window);
        return window != 0 && (foreground == handle || IsChild(handle, foreground));
    }

    bool type(const std::vector<KeyAction>& keys) override {
        std::vector<INPUT> inputs = inputsFor(keys);
        if (inputs.empty())
            return true;
        const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        // Returns once the receiving window's thread has handled a message sent after the keys:
        // as near as Win32 comes to knowing that they have been processed.
        if (const HWND target = GetForegroundWindow()) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        }
        return sent == inputs.size();
    }

    void setTopMost(WindowId window, bool onTop) override {
        SetWindowPos(toHandle(window), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }

    void clearTitle(WindowId window) override { SetWindowTextW(toHandle(window), L""); }

    void releaseKeyboard() override {}
};

} // namespace

} // namespace win32

std::unique_ptr<Platform> createPlatform() {
    return std::make_unique<win32::Win32Platform>();
}

} // namespace jk::platform
