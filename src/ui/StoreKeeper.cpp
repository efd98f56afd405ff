#include "ui/StoreKeeper.h"

#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "phrasebook/TextSetStore.h"
#include "ui/Prompts.h"

#include <cstdio>

namespace jk {

namespace {
constexpr int FlushDelayMs = 200;
constexpr int EditCheckMs = 1000;
} // namespace

StoreKeeper::StoreKeeper(SettingsStore& store, const PhraseBook& book, Prompts& prompts)
    : store_(store)
    , book_(book)
    , prompts_(prompts) {
    pending_.setSingleShot(true);
    pending_.setInterval(FlushDelayMs);
    QObject::connect(&pending_, &QTimer::timeout, [this] { startSaving(); });
    edits_.setSingleShot(true);
    edits_.setInterval(EditCheckMs);
    QObject::connect(&edits_, &QTimer::timeout, [this] { saveEdits(); });
}

StoreKeeper::~StoreKeeper() {
    if (saving_.valid())
        saving_.wait();
}

void StoreKeeper::flushSoon() {
    if (!pending_.isActive())
        pending_.start();
}

void StoreKeeper::edited() {
    if (!edits_.isActive())
        edits_.start();
}

void StoreKeeper::saveEdits() {
    // The same write the set's selector makes when it loses the focus, made when the set in
    // the book no longer matches the store.
    if (book_.Loading || !book_.hasCurrentSet())
        return;
    const int number = book_.CurrentTextSet + 1;
    if (TextSetSaved(book_, store_, number))
        return;
    SaveTextSet(book_, store_, number);
    startSaving();
}

void StoreKeeper::startSaving() {
    pending_.stop();
    if (saving_.valid() && saving_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        again_ = true; // after the running one, with what has changed meanwhile
        return;
    }
    // The result comes back to this thread through the timer's events (the keeper waits for
    // the job before it goes, and its timer takes undelivered results with it).
    saving_ = std::async(std::launch::async, [job = store_.flushJob(), this] {
        const StoreResult result = job();
        QMetaObject::invokeMethod(
            &pending_, [this, result] { saved(result); }, Qt::QueuedConnection);
    });
}

void StoreKeeper::saved(const StoreResult& result) {
    if (again_) {
        again_ = false;
        startSaving();
    }
    if (result.ok) {
        failureTold_ = false;
        return;
    }
    // A store that is not a file was told about at start-up.
    if (!failureTold_ && !result.refused) {
        failureTold_ = true;
        prompts_.tell(runFailureText(result));
    }
}

bool StoreKeeper::flushAtClose() {
    pending_.stop();
    edits_.stop();
    if (saving_.valid())
        saving_.wait();
    for (;;) {
        const StoreResult result = store_.flush();
        if (result.ok)
            return true;
        // Retry cannot help a store left alone or one too large: the changes go elsewhere.
        if (result.refused || result.tooLarge) {
            rescue(result);
            return false;
        }
        // A signal that arrives while the question is up dismisses it and counts as the
        // answer.
        const bool retry = !unattended_ && prompts_.askRetry(closeFailureText(result));
        if (unattended_) {
            rescue(result);
            return false;
        }
        if (!retry)
            return false;
    }
}

void StoreKeeper::rescue(const StoreResult& failed) {
    QString message = QStringLiteral("Jeerkit: your text sets could not be saved to %1 (%2)")
                          .arg(failed.path, failed.reason);
    const StoreResult copy = store_.rescue();
    message += copy.ok ? QStringLiteral(". They were written to %1 instead.").arg(copy.path)
                       : QStringLiteral(", nor anywhere else (%1): the changes since the last "
                                        "save are lost.")
                             .arg(copy.reason);
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

QString StoreKeeper::runFailureText(const StoreResult& result) {
    return QStringLiteral("Your text sets could not be saved to\n%1\n\nReason: %2\n\n"
                          "Nothing is lost yet: Jeerkit keeps your changes and tries again "
                          "when you close it.")
        .arg(result.path, result.reason);
}

QString StoreKeeper::closeFailureText(const StoreResult& result) {
    return QStringLiteral("Your text sets could not be saved to\n%1\n\nReason: %2\n\n"
                          "Retry after fixing the problem, or quit without saving (the changes "
                          "since the last successful save are lost).")
        .arg(result.path, result.reason);
}

} // namespace jk
