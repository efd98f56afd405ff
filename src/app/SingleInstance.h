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

    enum class Start {
        Run,     // this is the only program
        Shown,   // a running one took the request to come to the front: end
        Refused, // a running one holds the lock but does not answer: the player was told
    };
    // Never ends a start silently: a lock left by a crash (here or on another machine sharing
    // this home) or anything else lying at the lock's path does not keep the program from
    // running.
    Start claim();

signals:
    void activationRequested();

private:
    // True when a running program took the request to come to the front.
    bool askRunningToShow() const;
    // Says on stderr that the running one takes over.
    static Start shown();
    void listen();

    QString serverName_;
    QString lockPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace jk
