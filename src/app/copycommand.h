#pragma once

#include <QString>
#include <QTextStream>

namespace app {

// quintor --copy-database FROM TO: copies a café's database between files
// and PostgreSQL databases, with its progress on err (one line redrawn in
// place on a terminal, a line per table otherwise). Answers the exit status.
int copyDatabaseCommand(const QString& from, const QString& to, QTextStream& out, QTextStream& err,
                        bool terminal);

} // namespace app
