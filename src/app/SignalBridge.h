#pragma once

#include <QObject>

class QSocketNotifier;

namespace jk {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that
// an orderly ending runs the same close sequence as closing the window.
class SignalBridge : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(QObject* parent = nullptr);
    ~SignalBridge() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static void onSignal(int signalNumber);
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace jk
