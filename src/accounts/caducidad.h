#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace station {
class LoginsInUse;
}

namespace accounts {

// The removal of expired time codes: by creation date, by last visit or by
// neither, and optionally every code without time left.
enum class CriterioCaducidad { Ninguno = -1, Alta = 0, Ultima = 1 };

struct CaducidadCodigos {
    CriterioCaducidad criterio = CriterioCaducidad::Ninguno;
    bool creditoNulo = false;
    // Dated before midnight at the start of this day.
    QDate fecha;
};

// The confirmation asked before the removal: the text of key, the date when
// conFecha, then the text of cola when not empty. Nothing to remove gives
// the key "CodigoEliminar" and no question is asked.
struct ConfirmacionCaducidad {
    QString key;
    bool conFecha = false;
    QString cola;
    bool pregunta() const { return key != QLatin1String("CodigoEliminar"); }
};

ConfirmacionCaducidad confirmacionCodigos(const CaducidadCodigos& c);

// The codes that meet the removal; when any of them is logged in nothing is
// deleted and their logins are answered, otherwise all of them go in one
// transaction, each with its line in the audit trail. Throws
// store::DatabaseError.
QStringList eliminarCodigosCaducados(const QSqlDatabase& db, const CaducidadCodigos& c,
                                     const station::LoginsInUse& inUse, const QString& operatorName,
                                     const QDateTime& now);

} // namespace accounts
