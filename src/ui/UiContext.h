#pragma once

#include <functional>

namespace jk {

struct PhraseBook;
class SettingsStore;
class GameLink;
class ClockSeededRandom;
class Prompts;
class StoreKeeper;
class Hotkeys;
namespace platform {
class Platform;
}

// What every window works with: the one phrase book, the store, the desktop, the game link.
// The program creates these once; tests create them around a fake desktop and a temporary
// store.
struct UiContext {
    PhraseBook& book;
    SettingsStore& store;
    platform::Platform& platform;
    GameLink& link;
    ClockSeededRandom& random;
    Prompts& prompts;
    StoreKeeper& keeper;
    // Ends the program once a window's close sequence is done.
    std::function<void()> endProgram;
    // The player's keys for sending from any window; none in a run without them.
    Hotkeys* hotkeys = nullptr;
};

} // namespace jk
