#pragma once

// The note of the spare keys this program has bound on a display, from which a later start
// gives back what a killed one left bound. It is a file only the player can write: a record any
// X client could write (a root window property) would let it make a start unbind real keys.

#include <string>
#include <vector>

namespace jk::platform::x11 {

class SpareKeyRecord {
public:
    struct Entry {
        unsigned long owner = 0; // a window that lives as long as the binding program's connection
        unsigned long keycode = 0;
        unsigned long keysym = 0;
        bool operator==(const Entry&) const = default;
    };

    // One record per host and display. No path (nothing is kept) without a private folder.
    explicit SpareKeyRecord(const std::string& displayName);

    std::vector<Entry> read() const;
    // Replaces the record; an empty one removes the file. False if it could not be written.
    bool write(const std::vector<Entry>& entries) const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A folder only this user can reach: $XDG_RUNTIME_DIR when it is the user's own and mode 0700,
// else $XDG_STATE_HOME/Jeerkit (~/.local/state/Jeerkit), made 0700, and used only if it is the
// user's own real folder. Empty if there is none.
std::string privateFolder();

} // namespace jk::platform::x11
