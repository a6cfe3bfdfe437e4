#pragma once

#include "core/result.h"

#include <QString>

#include <functional>

class TDataModule1;

namespace store {

// How far a transfer is: the table being copied, its rows copied so far and
// its rows in all; rows of the whole database as well.
struct TransferStep {
    QString table;
    qint64 tableRows = 0;
    qint64 tableTotal = 0;
    qint64 rows = 0;
    qint64 total = 0;
};
using TransferProgress = std::function<void(const TransferStep& step)>;

// Copies every table and row of a café's database to a new, empty one, in
// either engine: a file (a path) or a PostgreSQL database (a URI). The
// counters and ticket numbers come along. The copy runs in one transaction
// on the target and is checked before it is committed: every table holds as
// many rows as in the source and every whole-number column (money, times,
// counts) the same total. A target file that exists, or a server database
// that has tables, is refused and left as it was. A file of an older layout
// is upgraded first on a temporary copy, never in place.
Status transferDatabase(const QString& from, const QString& to, const TransferProgress& progress = {});

// The same from a database already open, of the current version, into a new
// file: read as its connection sees it, so a caller that opened a
// transaction on it gets the copy of that transaction's snapshot, and finds
// its transaction still open afterwards.
Status transferToFile(const TDataModule1& from, const QString& to, const TransferProgress& progress = {});

} // namespace store
