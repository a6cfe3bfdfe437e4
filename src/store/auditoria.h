#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace store {

// The audit trail: one line for every action that moves money or trust
// outside the normal flow. Lines are only ever added; the table refuses
// updates and deletions on both engines.

// The kinds of action, as the trail and its filter show them.
namespace accion {
inline const QString AnularTicket = QStringLiteral("Anular ticket");
inline const QString ModificarTicket = QStringLiteral("Modificar ticket");
inline const QString CreditoCuenta = QStringLiteral("Crédito de cuenta");
inline const QString TiempoCuenta = QStringLiteral("Tiempo de cuenta");
inline const QString BorrarCuenta = QStringLiteral("Borrar cuenta");
inline const QString BorrarCodigo = QStringLiteral("Borrar código");
inline const QString BorrarArticulo = QStringLiteral("Borrar artículo");
inline const QString Articulo = QStringLiteral("Artículo");
inline const QString Tarifa = QStringLiteral("Tarifa");
inline const QString Franja = QStringLiteral("Franja horaria");
inline const QString Bono = QStringLiteral("Bono o recarga");
inline const QString Impuesto = QStringLiteral("Impuesto");
inline const QString Operador = QStringLiteral("Operador");
inline const QString Opciones = QStringLiteral("Opciones");
inline const QString AbrirCajon = QStringLiteral("Abrir cajón");
inline const QString Puesto = QStringLiteral("Puesto");
inline const QString TomaPuestos = QStringLiteral("Toma de puestos");
inline const QString Bloqueo = QStringLiteral("Bloqueo");
inline const QString Desbloqueo = QStringLiteral("Desbloqueo");
} // namespace accion

struct EntradaAuditoria {
    // Who acted: the operator on duty; empty for the console itself (a
    // lock-out, a take-over by the lease).
    QString operador;
    QString accion;
    // What was acted on, for a reader: "Ticket 000123", "Cuenta ana".
    QString objeto;
    // The state before and after, as text a reader understands; either may
    // be empty (nothing before an insert, nothing after a deletion).
    QString antes;
    QString despues;
    // When; invalid means now by this computer's clock.
    QDateTime cuando;
};

// Appends a line in the caller's transaction (so it is written with the
// action or not at all), under the console that writes through db
// (store::writingConsole). Throws DatabaseError.
void auditar(const QSqlDatabase& db, const EntradaAuditoria& entrada);

// Creates the table and its guards when missing; part of the schema updates.
void crearAuditoria(const QSqlDatabase& db);

// "campo: antes -> después" lines of what differs between two sets of
// named values, in the order of before; for edits of a row.
struct ValorAuditado {
    QString nombre;
    QString valor;
};
QString diferencias(const QList<ValorAuditado>& antes, const QList<ValorAuditado>& despues);

} // namespace store
