#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The files around the store: what lies at its path, the new file a save puts in its place,
// the copies set beside it, rescue files. Every file made here is new: made exclusively, never
// through a link someone put at its name, readable by the player alone.
namespace jk::storefiles {

// The file a save replaces: the store path with symbolic links followed, so that a linked
// store stays linked, and what is there.
struct Target {
    enum Kind { Missing, Regular, Folder, Other };
    QString path;
    Kind kind = Missing;
};
Target resolve(const QString& path);

// A new file holding bytes under name, or, when something is there already (a file, a folder,
// a link), under name-2, name-3 and so on. The name it got, or empty and *error says why.
QString createNew(const QString& name, const QByteArray& bytes, QString* error = nullptr);
// Moves path to path.<kind>-<time> (numbered like createNew), replacing nothing.
QString moveAside(const QString& path, const QString& kind);
QString sideName(const QString& path, const QString& kind);
// Puts bytes in place of target through a new file beside it; empty, or why it failed.
QString replaceWith(const QString& target, const QByteArray& bytes);

// A real folder (no link) of this user's that nobody else can write into; with strict, that
// nobody else can even look into.
bool isOwnFolder(const QString& path, bool strict = false);

// The unsaved values in a new rescue file, in a place of the player's alone; its name, or
// empty with *error.
QString writeRescue(const QString& storePath, const QByteArray& bytes, QString* error);
// Rescue files left by earlier runs.
QStringList rescueFiles(const QString& storePath);

} // namespace jk::storefiles
