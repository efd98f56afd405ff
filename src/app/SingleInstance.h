#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace jk {

// One program per user and store: two programs saving the same store would overwrite each
// other's edits. The first holds a lock beside the store and listens; a second start asks
// it to come to the front and leaves without touching the store.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& storePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only program; otherwise the running one has been asked to show
    // itself and this one should end.
    bool claim();

signals:
    void activationRequested();

private:
    // True when a running program took the request to come to the front.
    bool askRunningToShow() const;

    QString serverName_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace jk
