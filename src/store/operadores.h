#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace store {

// The 37 permissions, in the order of the table's columns and of the
// permission dialog.
enum class Permiso {
    CONFPUE,
    CONFTAR,
    CONFFRA,
    CONFBON,
    CONFTPV,
    CONFTIC,
    CONFTUR,
    CONFOP,
    CUEADD,
    CUEMOD,
    CUEELI,
    CUECRE,
    CUETAR,
    APAGA1,
    APAGA2,
    APAGA3,
    APAGA4,
    APAGATODOS,
    DESACTIVA,
    ACTIVA,
    VENTATPV,
    LISTADO1,
    LISTADO2,
    LISTADO3,
    LISTADO4,
    INFORME1,
    INFORME2,
    INFORME3,
    INFORME4,
    INFORME5,
    CONFIMP,
    CONFLOGS,
    IMPLOGPAS,
    IMPLOGPAS_1,
    MODFECHACAD,
    AUDITORIA,
    // Logging in to the owner's view in a browser.
    ACCESOWEB
};
constexpr int PermisoCount = 37;

// Column names of the permissions, in order.
const QStringList& permisoColumns();
QString permisoColumn(Permiso p);

struct Operador {
    int ID = 0;
    QString NOMBRE;
    QString PASS;
    std::array<bool, PermisoCount> permisos{};

    bool tiene(Permiso p) const { return permisos[static_cast<int>(p)]; }
    void set(Permiso p, bool on) { permisos[static_cast<int>(p)] = on; }
    void setAll(bool on) { permisos.fill(on); }
    // The administrator is the operator named exactly "ADMIN".
    bool isAdmin() const { return NOMBRE == QLatin1String("ADMIN"); }
};

// Operators in table order (the log-in list's order).
std::vector<Operador> operadores(const QSqlDatabase& db);
// The operator whose name equals name without regard to case.
std::optional<Operador> operadorPorNombre(const QSqlDatabase& db, const QString& name);
// Inserts a new operator; answers its ID.
int insertOperador(const QSqlDatabase& db, const Operador& op);
void updateOperador(const QSqlDatabase& db, const Operador& op);

} // namespace store
