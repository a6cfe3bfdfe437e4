#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

namespace accounts {

enum class CampoBusqueda { Login, Nombre };

// The live filter of the search dialogs: the typed text matched from the
// start or anywhere in one field; an empty text shows every row.
struct FiltroBusqueda {
    CampoBusqueda campo = CampoBusqueda::Login;
    QString typed;
    bool startsWith = true;
    bool operator==(const FiltroBusqueda&) const = default;
};

// base narrowed by the filter, for a WHERE clause; the pattern goes to values
// as a bound value, so quotes and wildcards typed stay plain text.
QString condicionBusqueda(const QSqlDatabase& db, const QString& base, const FiltroBusqueda& filtro,
                          QVariantList& values);

} // namespace accounts
