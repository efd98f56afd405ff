#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace jk::test {

// A generated store file that a player could end up with: damaged, hand-edited, foreign.
struct HostileStore {
    QString name;
    QByteArray bytes;
    bool isFolder = false; // the store path is a folder instead of a file
};

// `count` cases, the same for the same seed: random bytes, truncations and corruptions of a
// valid store, byte-order marks, CRLF, invalid UTF-8, huge values, every key with a value
// that cannot be converted or is out of range, duplicate keys and groups.
QList<HostileStore> generateHostileStores(int count, unsigned seed);

// Puts the case at path (a file with its bytes, or a folder); false if that failed.
bool placeHostileStore(const HostileStore& hostile, const QString& path);

// A complete, valid store as the program writes it.
QByteArray validStoreBytes();

} // namespace jk::test
