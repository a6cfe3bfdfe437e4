#pragma once

#include <QString>

namespace store {

// The café's data (databases, their copies and replicas, config.ini, the
// exports) is readable by the user the console runs as and nobody else:
// files 0600, folders 0700. Engines keep the mode of a file they open, and
// SQLite gives its -wal and -shm files the database's own, so a database
// file made private before the engine first opens it stays private.

// Creates path as an empty file only its owner may read and write; false
// when it exists or cannot be created.
bool createPrivateFile(const QString& path);
// Makes an existing file (or folder) its owner's alone; false when the mode
// cannot be changed (a file of another user, say).
bool makePrivate(const QString& path);
bool makePrivateFolder(const QString& path);
// Creates a folder (with its parents) private to its owner; a folder that
// exists already is left as it is.
bool createPrivateFolder(const QString& path);
// Takes the world's access away from a database file made before files
// were private, and from its -wal and -shm; the group's access, which an
// owner may have given on purpose, stays.
void withdrawWorldAccess(const QString& databaseFile);

} // namespace store
