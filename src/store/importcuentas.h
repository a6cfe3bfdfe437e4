#pragma once

#include "core/regional.h"
#include "core/result.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

#include <functional>
#include <optional>

namespace store {

// The account export files of versions 3.0 (13 fields) and 3.1 (17 fields),
// usr.qdt: 512-byte records, each enciphered by itself.

// The fields of a clear record, walked as the old versions wrote them; the
// count decides up to which field number missing trailing fields are filled
// from empty text. Nothing when the record is not laid out as an export
// record (another key, a damaged record, a field count that no version
// wrote), so that such a record is never imported as garbage.
std::optional<QStringList> parseExportRecord(const QByteArray& clear, int count);

// A clear record of the given fields (Windows-1252, each ended by byte 2,
// zeros up to 512); empty when the fields do not fit.
QByteArray buildExportRecord(const QStringList& fields);
// Writes an export file of enciphered records, for tests and tools.
Status writeExportFile(const QString& path, const QList<QStringList>& records);

struct ImportOutcome {
    int records = 0; // whole records in the file
    int imported = 0;
    // Not an export record, a partial record at the end, or a login or
    // password longer than the columns hold.
    int invalid = 0;
    int existing = 0; // a login the database already has: left as it is
    int skipped() const { return invalid + existing; }
};

// Called after every record with the number of records handled so far.
using ImportProgress = std::function<void(int done, int total)>;

// ImportarCuentas: one account per record into cuentas, all in one
// transaction. An invalid record is skipped and counted; an existing login is
// never duplicated nor overwritten. A database error ends the import with
// nothing imported: a half-imported file could not be told from a whole one.
Result<ImportOutcome> ImportarCuentas(const QSqlDatabase& db, const QString& path, int count,
                                      const Regional& regional, const ImportProgress& progress = {});

} // namespace store
