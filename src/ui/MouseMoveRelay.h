#pragma once

#include <QObject>

#include <functional>
#include <map>

class QWidget;

namespace jk {

// Reports the pointer moving over any of a set of controls, by the index given to each.
class MouseMoveRelay final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int index)>;
    explicit MouseMoveRelay(Handler handler, QObject* parent = nullptr);

    void watch(QWidget& control, int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    std::map<const QObject*, int> indices_;
};

} // namespace jk
