#pragma once

#include <QString>
#include <QTimer>

#include <future>

namespace jk {

class Prompts;
class SettingsStore;
struct PhraseBook;
struct StoreResult;

// Gets the settings store onto the disk and tells the player when it cannot.
class StoreKeeper {
public:
    StoreKeeper(SettingsStore& store, const PhraseBook& book, Prompts& prompts);
    ~StoreKeeper();
    StoreKeeper(const StoreKeeper&) = delete;
    StoreKeeper& operator=(const StoreKeeper&) = delete;

    // During the run: the values are in the store at once and reach the disk a moment later,
    // written on another thread, off the path of what the player is waiting for (a window
    // showing, a list opening, typing). Several saves close together make one write.
    void flushSoon();
    // A phrase, label, style, Enter flag, prefix or variable was edited: the current set is
    // saved a second later, together with whatever else is edited meanwhile, so that a
    // crash, a kill or the display going away loses at most the last moments of work.
    void edited();
    // At closing: write, and while that fails ask whether to retry or quit without saving.
    // True when the file was written.
    bool flushAtClose();
    // The end was asked for from outside (a signal, the session ending): from now on a failed
    // save at closing asks nothing; the values go to a rescue file elsewhere, named on stderr
    // (as they do for a store that is left alone or would be too large).
    void endUnattended() { unattended_ = true; }

    static QString runFailureText(const StoreResult& result);
    static QString closeFailureText(const StoreResult& result);

private:
    void saveEdits();
    void startSaving();
    // The first failure is told; further failures stay quiet until a save succeeds again, so
    // that every focus change does not bring up another box.
    void saved(const StoreResult& result);

    SettingsStore& store_;
    const PhraseBook& book_;
    Prompts& prompts_;
    void rescue(const StoreResult& failed);

    bool failureTold_ = false;
    bool unattended_ = false;
    QTimer pending_;
    QTimer edits_;
    std::future<void> saving_;
    bool again_ = false;
};

} // namespace jk
