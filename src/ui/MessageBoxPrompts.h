#pragma once

#include "ui/Prompts.h"

#include <functional>

class QWidget;

namespace jk {

// Prompts as message boxes titled "Jeerkit", kept above the window the player works in.
class MessageBoxPrompts final : public Prompts {
public:
    using ParentWindow = std::function<QWidget*()>;
    explicit MessageBoxPrompts(ParentWindow parent);

    void tell(const QString& text) override;
    bool askRetry(const QString& text) override;

private:
    ParentWindow parent_;
};

} // namespace jk
