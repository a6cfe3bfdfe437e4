#pragma once

#include "core/result.h"

#include <QDateTime>
#include <QString>

namespace store {

// Copies a database file through the engine itself, never byte by byte: a
// byte copy of a file in write-ahead-log mode can miss committed data. The
// destination must not exist; a failed copy leaves nothing behind. A file
// that is not a database is refused.
Status copyDatabase(const QString& source, const QString& destination);

// A copy of a database file into folder, named by the minute it is made:
// "yyyyMMddHHmm" followed by the file's name ("202503011030ciber.mdb"), with
// "~1", "~2", ... after the digits when that name is taken. Made by
// copyDatabase; answers the copy's path.
Result<QString> copyDatabaseDated(const QString& source, const QString& folder,
                                  const QDateTime& when = QDateTime::currentDateTime());

// The engine's own check of a database file: success, or what it found.
Status integrityCheck(const QString& path);

// Makes a closed file and its name in its folder durable: after this a
// power cut finds the file whole under that name.
Status syncToDisk(const QString& path);

// The file a compaction writes first: "ciber.mdb" gives "ciber~1.mdb".
QString compactionTempPath(const QString& path);

// Compacts and checks a closed database file in place: a compacted copy is
// written to the temporary file, checked, made durable and then renamed over
// the file in one step, so a crash at any moment leaves either the old file
// or the new one. On failure the file is as it was and the engine's text is
// the error. The engine has no password; the parameter is kept for one
// that has.
Status CompactarBase(const QString& path, const QString& password = QString());

} // namespace store
