#include "ui/StoreKeeper.h"

#include "phrasebook/SettingsStore.h"
#include "ui/Prompts.h"

namespace jk {

namespace {
constexpr int FlushDelayMs = 200;
}

StoreKeeper::StoreKeeper(SettingsStore& store, Prompts& prompts)
    : store_(store)
    , prompts_(prompts) {
    pending_.setSingleShot(true);
    pending_.setInterval(FlushDelayMs);
    QObject::connect(&pending_, &QTimer::timeout, [this] { flushDuringRun(); });
}

void StoreKeeper::flushSoon() {
    if (!pending_.isActive())
        pending_.start();
}

bool StoreKeeper::flushDuringRun() {
    pending_.stop();
    const StoreResult result = store_.flush();
    if (result.ok) {
        failureTold_ = false;
        return true;
    }
    if (!failureTold_) {
        failureTold_ = true;
        prompts_.tell(runFailureText(result));
    }
    return false;
}

bool StoreKeeper::flushAtClose() {
    pending_.stop();
    for (;;) {
        const StoreResult result = store_.flush();
        if (result.ok)
            return true;
        if (!prompts_.askRetry(closeFailureText(result)))
            return false;
    }
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
