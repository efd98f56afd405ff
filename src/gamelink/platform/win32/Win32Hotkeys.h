#pragma once

// The program's global keys on Windows. Pulls in <windows.h>: include it only from the win32
// backend's .cpp files.

#include "gamelink/platform/Platform.h"
#include "gamelink/platform/win32/Win32KeyInput.h"

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace jk::platform::win32 {

// Keys registered with the system, whose presses come as WM_HOTKEY to a message-only window
// of this thread: the program's event loop hands them over like any other message.
class Win32Hotkeys {
public:
    Win32Hotkeys() = default;
    ~Win32Hotkeys();
    Win32Hotkeys(const Win32Hotkeys&) = delete;
    Win32Hotkeys& operator=(const Win32Hotkeys&) = delete;

    // Empty, or why the key was not taken.
    std::string grab(int id, const Hotkey& key);
    void release(int id);
    // The keys fired since the last call, each once per press.
    std::vector<int> pressed();
    // What the typing must not press: the strokes of the keys held.
    std::set<KeyInputs::Stroke> strokes() const;
    static unsigned stillDown(const Hotkey& key);

private:
    bool ready();
    static LRESULT CALLBACK onMessage(HWND window, UINT message, WPARAM w, LPARAM l);
    void fired(int id);

    HWND window_ = nullptr;
    std::map<int, UINT> keys_;
    std::map<int, KeyInputs::Stroke> strokes_;
    std::vector<int> pressed_;
    std::set<int> latched_;       // fired, and their keys not yet seen up
    std::map<int, DWORD> seenUp_; // when each key was last seen up after firing (ms ticks)
};

} // namespace jk::platform::win32
