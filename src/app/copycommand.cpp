#include "app/copycommand.h"

#include "store/engine.h"
#include "store/transfer.h"

namespace app {

int copyDatabaseCommand(const QString& from, const QString& to, QTextStream& out, QTextStream& err,
                        bool terminal) {
    QString lastTable;
    int lastPercent = -1;
    const store::TransferProgress progress = [&](const store::TransferStep& step) {
        const int percent = step.total > 0 ? int(step.rows * 100 / step.total) : 100;
        if (terminal) {
            if (percent == lastPercent && step.table == lastTable)
                return;
            // Padded so a shorter line covers the one before it.
            err << '\r'
                << QStringLiteral("%1 %  %2 (%3 de %4 filas)")
                       .arg(percent, 3)
                       .arg(step.table)
                       .arg(step.tableRows)
                       .arg(step.tableTotal)
                       .leftJustified(72);
            err.flush();
        } else if (step.table != lastTable) {
            err << QStringLiteral("%1 %  %2 (%3 filas)\n")
                       .arg(percent, 3)
                       .arg(step.table)
                       .arg(step.tableTotal);
            err.flush();
        }
        lastTable = step.table;
        lastPercent = percent;
    };
    const Status copied = store::transferDatabase(from, to, progress);
    if (terminal && lastPercent >= 0)
        err << '\n';
    if (!copied) {
        err << "quintor: " << copied.error() << "\n";
        return 1;
    }
    out << "Base de datos copiada: " << store::withoutPassword(from) << " -> " << store::withoutPassword(to)
        << "\n";
    return 0;
}

} // namespace app
