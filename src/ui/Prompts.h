#pragma once

#include <QString>

namespace jk {

// The questions and notices the windows put to the player besides the game link's own
// warnings. An interface so that tests can answer them.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Tell the player something without stopping the work in progress.
    virtual void tell(const QString& text) = 0;
    // Ask "Retry" or "Quit without saving"; true means retry.
    virtual bool askRetry(const QString& text) = 0;
};

} // namespace jk
