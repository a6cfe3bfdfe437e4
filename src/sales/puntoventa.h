#pragma once

#include "core/currency.h"
#include "store/rows.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

// The point of sale: articles, the scratch record of the line being entered
// (udart) and the sale's tickets. Failed statements throw
// store::DatabaseError; each sale step of several statements is one
// transaction.

namespace sales {

// The article whose CODIGO equals code, letter case aside (bound, so quotes
// and wildcards in a typed code are plain characters).
std::optional<store::Articulo> articuloPorCodigo(const QSqlDatabase& db, const QString& code);

store::Udart readUdart(const QSqlDatabase& db);
void saveUdart(const QSqlDatabase& db, const store::Udart& udart);
// The four entry columns (and, with all, the delivered amount and change) to 0.
store::Udart resetUdart(const QSqlDatabase& db, bool all);

// PRE × UD to the currency's four decimals, halves to even. Throws
// CurrencyOverflow where the product does not fit; importeLineaAcotado is
// the checked form for typed values.
Currency importeLinea(Currency precio, double cantidad);
// A quantity as typed: "." and "," both separate decimals.
std::optional<double> parseQuantity(const QString& text);

// F1: a settled ticket of the counter (station 0), total 0.
store::Ticket nuevaVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now);

// F10: the entry line of udart on ticket idTick with the code of the article
// typed (the typed text when no article has it) and that article's tax; the
// ticket's total again; the entry columns of udart reset. All or nothing.
// Answers the key of the refusal, and writes nothing, when there is no
// description ("NoDescripcion"), the quantity is not a number other than 0
// ("CantidadNoValida", returns are negative), or the price or PRE × UD passes
// Currency::MaxAmount ("ImporteMaximo"), so no wrapped amount reaches a ticket.
// On a ticket reopened to be changed ("Modificar este ticket"), each line
// added goes to the audit trail with the ticket's total before and after.
struct Reapertura {
    QString operador;
    QDateTime cuando;
};
QString anadirLinea(const QSqlDatabase& db, int idTick, const QString& code,
                    const std::optional<Reapertura>& reapertura = std::nullopt);

// The drawer opened without a sale: its line in the audit trail, written
// before the drawer is sent its pulse.
void anotarCajonSinVenta(const QSqlDatabase& db, const QString& operatorName, const QDateTime& now);

// Browsing the tickets in ID_TICK order.
enum class Paso { Primero, Anterior, Siguiente, Ultimo };
std::optional<store::Ticket> moverTicket(const QSqlDatabase& db, int fromId, Paso paso);

// The article search: field "Codigo" or "Articulo", starting with or
// containing text (typed "*" is the wildcard); empty text lists all.
enum class CampoBusqueda { Codigo, Articulo };
enum class ModoBusqueda { EmpiezaPor, Contiene };
std::vector<store::Articulo> buscarArticulos(const QSqlDatabase& db, CampoBusqueda campo, ModoBusqueda modo,
                                             const QString& text);
// A LIKE pattern of typed text: "%", "_" and "\" are plain, "*" is any run.
QString likePattern(const QString& text);

// The article list, ordered by code or by description.
std::vector<store::Articulo> articulos(const QSqlDatabase& db, CampoBusqueda campo);

// The checks of the article dialog: "DebeCodigo", "DebeArticulo", and for a
// new article "CodigoRepetido" / "ArticuloRepetido" (letter case ignored).
struct ArticuloCheck {
    enum class Field { None, Codigo, Articulo };
    QString messageKey;
    Field field = Field::None;
    bool ok() const { return messageKey.isEmpty(); }
};
ArticuloCheck checkArticulo(const QSqlDatabase& db, const QString& code, const QString& name, bool isNew);
// The edits of the article list, each in one transaction with its lines in
// the audit trail (a line per article that changed).
void addArticulo(const QSqlDatabase& db, const store::Articulo& articulo, const QString& operatorName,
                 const QDateTime& now);
// Price and tax of the article of code (code and description stay).
void updateArticulo(const QSqlDatabase& db, const QString& code, Currency precio, int idTax,
                    const QString& operatorName, const QDateTime& now);
void deleteArticulo(const QSqlDatabase& db, const QString& code, const QString& operatorName,
                    const QDateTime& now);
// The tax of every article, or of the articles of codes.
void CambiarIva(const QSqlDatabase& db, int idTax, const QString& operatorName, const QDateTime& now);
void cambiarIvaDe(const QSqlDatabase& db, const QStringList& codes, int idTax, const QString& operatorName,
                  const QDateTime& now);

} // namespace sales
