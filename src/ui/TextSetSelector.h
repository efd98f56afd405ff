#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;

namespace jk {

struct UiContext;

// The text-set selector `ComboTextSet` that each working window carries: lists the 30 set
// names, switches the current set, saves it when the selector gains and loses the focus,
// and, where the field is editable (the main window), renames the current set.
class TextSetSelector final : public QObject {
    Q_OBJECT
public:
    // The window's own ShowTextSet, run on every switch.
    using ShowTextSet = std::function<void(qint16 set)>;

    TextSetSelector(QComboBox& combo, UiContext& ui, bool renames, ShowTextSet show,
                    QObject* parent = nullptr);

    // Empties the list and lists SetName(0) to SetName(29), nothing selected; no handler runs.
    void refill();
    // Selects a position as the program; runs ComboTextSet_Click when the selection changes.
    void select(int position);

    void ComboTextSet_Click();
    void ComboTextSet_GotFocus();
    void ComboTextSet_LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void saveCurrentSet();

    QComboBox& combo_;
    UiContext& ui_;
    bool renames_;
    ShowTextSet show_;
};

} // namespace jk
