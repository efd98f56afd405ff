#pragma once

#include <QString>

namespace jk {

class Prompts;
class SettingsStore;
struct StoreResult;

// Gets the settings store onto the disk and tells the player when it cannot.
class StoreKeeper {
public:
    StoreKeeper(SettingsStore& store, Prompts& prompts);

    // During the run. The first failure is told; further failures stay quiet until a flush
    // succeeds again, so that every focus change does not bring up another box.
    bool flushDuringRun();
    // At closing: write, and while that fails ask whether to retry or quit without saving.
    // True when the file was written.
    bool flushAtClose();

    static QString runFailureText(const StoreResult& result);
    static QString closeFailureText(const StoreResult& result);

private:
    SettingsStore& store_;
    Prompts& prompts_;
    bool failureTold_ = false;
};

} // namespace jk
