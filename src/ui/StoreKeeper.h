#pragma once

#include <QString>
#include <QTimer>

namespace jk {

class Prompts;
class SettingsStore;
struct StoreResult;

// Gets the settings store onto the disk and tells the player when it cannot.
class StoreKeeper {
public:
    StoreKeeper(SettingsStore& store, Prompts& prompts);

    // During the run: the values are in the store at once and reach the disk a moment later,
    // off the path of what the player is waiting for (a window showing, a list opening).
    // Several saves close together make one write.
    void flushSoon();
    // During the run, now. The first failure is told; further failures stay quiet until a
    // flush succeeds again, so that every focus change does not bring up another box.
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
    QTimer pending_;
};

} // namespace jk
